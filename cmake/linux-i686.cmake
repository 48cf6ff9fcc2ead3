# 32-bit Linux (i386) on an amd64 Debian machine: gcc -m32 (g++-multilib),
# with GoogleTest from Debian's i386 packages (libgtest-dev:i386,
# libgmock-dev:i386) and Lua 5.4 built for i386 from Debian's source package
# (scripts/build-lua-mingw.sh linux-i386). The programs run where the kernel
# runs 32-bit ELF images, else under qemu-i386 through binfmt_misc
# (scripts/install-i386-runner.sh).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
# Packages and libraries from Debian's i386 multiarch folders, not amd64's.
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/i386-linux-gnu/pkgconfig)
