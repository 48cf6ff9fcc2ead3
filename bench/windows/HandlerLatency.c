/*
** How long a change in a real Win32 client takes to reach a script handler
** under Wine. The host written in C (tests/windows/CScriptHost) loads
** chorister.dll and pulses it 60 times a second, as chorister-host does; the
** Win32 stand-in client shows a server, kChannels channels and kUsers users.
** At a random moment within a polling cycle the icon of one user changes, and
** the time until "Ventrilo.OnIconChanged" fires for that user is taken: for
** the user the capture reads first ("First", at the head of the first
** channel) and for the one it reads last ("Last", at the end of the last).
** The polling cycle is the time between two hand-overs while the comment of
** "Last" changes at every pulse, so that every capture raises an event.
**
** It prints each figure, and at the end one JSON object with them (in
** milliseconds) for scripts/bench.sh; the exit code is 0 when every change
** reached its handler.
**
**   handler_latency.exe <standin_client.exe> <chorister.dll> [changes per user]
*/
#include "tests/windows/BoxDismisser.h"
#include "tests/windows/CScriptHost.h"
#include "tests/windows/ModuleLibrary.h"
#include "tests/windows/StandinChild.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define kChannels 20
#define kUsers 200
#define kPulsesPerSecond 60
#define kCycles 8
#define kTimeoutMs 60000

static LARGE_INTEGER frequency;
static QSModule* module;
static CScriptHost host;
static StandinChild client;

static double Now(void) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

/* One pulse, then the rest of its tick. */
static void Pulse(double* next) {
  module->table->Pulse(module);
  *next += 1000.0 / kPulsesPerSecond;
  const double wait = *next - Now();
  if (wait > 0)
    Sleep((DWORD)wait);
}

/* True when the fired event at `index` is `event` with `user` as its context. */
static bool Fired(size_t index, const char* event, const char* user) {
  return strcmp(host.events[index].name, event) == 0 && strcmp(host.events[index].contextName, user) == 0;
}

/* The time of the first `event` of `user` at or after index `from`, pulsing
   until it fires; negative on time-out. */
static double AwaitEvent(const char* event, const char* user, size_t from) {
  const double start = Now();
  double next = start;
  for (;;) {
    for (size_t i = from; i < host.eventCount; ++i) {
      if (Fired(i, event, user))
        return Now();
    }
    if (Now() - start > kTimeoutMs)
      return -1;
    Pulse(&next);
  }
}

static bool Command(const char* format, int a, int b) {
  char line[96];
  snprintf(line, sizeof line, format, a, b);
  return StandinExpect(&client, line, "ok");
}

static bool BuildRoster(void) {
  bool ok = StandinExpect(&client, "server Bench", "ok") && StandinExpect(&client, "local User1", "ok");
  for (int c = 1; c <= kChannels; ++c)
    ok = Command("channel - Channel%d", c, 0) && ok;
  ok = Command("user Channel%d First", 1, 0) && ok;
  for (int u = 1; u <= kUsers; ++u)
    ok = Command("user Channel%d User%d", 1 + (u - 1) % kChannels, u) && ok;
  return Command("user Channel%d Last", kChannels, 0) && ok;
}

static int CompareDoubles(const void* a, const void* b) {
  const double x = *(const double*)a;
  const double y = *(const double*)b;
  return x < y ? -1 : (x > y ? 1 : 0);
}

static double Median(double* values, int count) {
  qsort(values, (size_t)count, sizeof values[0], CompareDoubles);
  return count % 2 ? values[count / 2] : (values[count / 2 - 1] + values[count / 2]) / 2;
}

/* The median time between two captures, from the hand-overs of a comment that
   changes at every pulse; negative on time-out. */
static double MeasureCycle(void) {
  double times[kCycles + 1];
  int seen = 0;
  size_t from = host.eventCount;
  const double start = Now();
  double next = start;
  for (int change = 0; seen <= kCycles; ++change) {
    if (!Command("comment Last c%d", change, 0) || Now() - start > kTimeoutMs)
      return -1;
    Pulse(&next);
    for (; from < host.eventCount && seen <= kCycles; ++from) {
      if (Fired(from, "Ventrilo.OnCommentChanged", "Last"))
        times[seen++] = Now();
    }
  }
  double intervals[kCycles];
  for (int i = 0; i < kCycles; ++i)
    intervals[i] = times[i + 1] - times[i];
  return Median(intervals, kCycles);
}

typedef struct Latency {
  double median, mean, worst;
} Latency;

/* `changes` icon changes of `user`, each at a random moment of a cycle. */
static bool MeasureUser(const char* user, int changes, double cycle, Latency* result) {
  double* latencies = malloc(sizeof(double) * (size_t)changes);
  if (latencies == NULL)
    return false;
  bool ok = true;
  double sum = 0;
  result->worst = 0;
  for (int change = 0; change < changes && ok; ++change) {
    const double until = Now() + cycle * (rand() / (RAND_MAX + 1.0));
    for (double next = Now(); Now() < until;)
      Pulse(&next);
    const size_t from = host.eventCount;
    char line[64];
    snprintf(line, sizeof line, "icon %s %d", user, 3 - change % 2); /* users start at 2 */
    const double changed = Now();
    ok = StandinExpect(&client, line, "ok");
    const double handled = ok ? AwaitEvent("Ventrilo.OnIconChanged", user, from) : -1;
    ok = ok && handled >= 0;
    latencies[change] = handled - changed;
    sum += latencies[change];
    if (latencies[change] > result->worst)
      result->worst = latencies[change];
  }
  result->mean = sum / changes;
  result->median = Median(latencies, changes);
  free(latencies);
  return ok;
}

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    fprintf(stderr, "usage: %s <standin_client.exe> <chorister.dll> [changes per user]\n", argv[0]);
    return 2;
  }
  const int changes = argc == 4 ? atoi(argv[3]) : 15;
  QueryPerformanceFrequency(&frequency);
  srand(42);
  ModuleLibrary library;
  if (changes < 1 || !StandinStart(&client, argv[1]) || !BuildRoster() || !ModuleLibraryLoad(&library, argv[2])) {
    fprintf(stderr, "the stand-in client or the DLL did not start\n");
    return 1;
  }
  module = library.factory(QS_INTERFACE_VERSION);
  CScriptHostInit(&host);
  BoxDismisser boxes;
  BoxDismisserStart(&boxes);
  if (module == NULL || !module->table->Initialize(module, &host.base) ||
      AwaitEvent("Ventrilo.OnJoinedParent", "Last", 0) < 0) {
    fprintf(stderr, "the module did not show the client\n");
    return 1;
  }
  const double cycle = MeasureCycle();
  Latency first = {0}, last = {0};
  const bool ok =
      cycle > 0 && MeasureUser("First", changes, cycle, &first) && MeasureUser("Last", changes, cycle, &last);
  fprintf(stderr, "polling cycle: %.0f ms (%d items)\n", cycle, 1 + kChannels + kUsers + 2);
  fprintf(stderr, "read first: median %.0f ms (%.2f cycles), mean %.0f, worst %.0f\n", first.median,
          first.median / cycle, first.mean, first.worst);
  fprintf(stderr, "read last:  median %.0f ms (%.2f cycles), mean %.0f, worst %.0f\n", last.median, last.median / cycle,
          last.mean, last.worst);
  printf(
      "{\"items\": %d, \"changes\": %d, \"cycle_ms\": %.1f, "
      "\"first\": {\"median_ms\": %.1f, \"mean_ms\": %.1f, \"worst_ms\": %.1f}, "
      "\"last\": {\"median_ms\": %.1f, \"mean_ms\": %.1f, \"worst_ms\": %.1f}}\n",
      1 + kChannels + kUsers + 2, changes, cycle, first.median, first.mean, first.worst, last.median, last.mean,
      last.worst);
  module->table->Shutdown(module);
  BoxDismisserStop(&boxes);
  StandinStop(&client);
  CScriptHostFree(&host);
  FreeLibrary(library.module);
  return ok ? 0 : 1;
}
