#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class VentriloElement;

// Elements ordered by name (CompareNames), equal names in the
// order they were placed: the index of a sorted sibling chain.
//
// It is laid out for a large channel filled in random name order, where a
// search is bound by cache misses rather than by compares. Entries are held in
// order in blocks of 32, and each carries the first 16 bytes of its name
// already folded, so that a search follows an element pointer only to tell
// apart two long names that share them. The first 8 of those bytes are kept
// apart, one array for the blocks' last entries and one in each block: a
// search counts in the first array (a few kilobytes for 30,000 names), then
// in the 256 bytes of one block, and looks further only at entries whose 8
// bytes equal its own. A block splits when full and merges with or borrows
// from a neighbour when it falls to a quarter, so every block but a lone one
// holds more than a quarter of its room.
class NameIndex {
 public:
  // Where an entry stands; valid until the index next changes.
  struct Position {
    std::size_t block;
    std::size_t offset;
  };
  // The entries on either side of a new one (null: none on that side).
  struct Neighbours {
    VentriloElement* before;
    VentriloElement* after;
  };

  NameIndex();
  ~NameIndex();

  void Clear();
  // Adds `element`, whose name sorts at or after every name held, at the end.
  void Append(VentriloElement* element);
  // Adds `element` after every entry whose name sorts at or before its own.
  Neighbours Insert(VentriloElement* element);
  // The entry of `element` under its current name; past the last block when
  // the index does not hold it, where Erase and Rekey do nothing.
  Position Find(const VentriloElement* element) const;
  void Erase(Position position);
  // Takes the current name of the element at `position`, which must keep its
  // place in the order under that name.
  void Rekey(Position position);

 private:
  static constexpr std::size_t kPrefix = 16;
  static constexpr std::size_t kBlock = 32;

  // A name's first 16 bytes folded, the first one highest, zeros past its end.
  struct Key {
    std::uint64_t high;  // bytes 0 to 7
    std::uint64_t low;   // bytes 8 to 15
    std::size_t size;    // of the whole name
  };
  // What an entry holds besides its key's high half.
  struct Rest {
    std::uint64_t low;
    std::size_t size;
    VentriloElement* element;
  };
  struct Block {
    // Makes room for `count` entries at `at`, or closes them up.
    void Open(std::size_t at, std::size_t count);
    void Close(std::size_t at, std::size_t count);
    void Put(std::size_t at, const Key& key, VentriloElement* element);

    std::size_t count = 0;
    std::uint64_t highs[kBlock];
    Rest rests[kBlock];
  };
  // A name to place or find, with its key.
  struct Probe {
    const std::string& name;
    Key key;
  };

  static Key MakeKey(const std::string& name);
  // True when the entry at `at` of `block` sorts before the probe (`orEqual`:
  // or equal to it).
  static bool Before(const Probe& probe, const Block& block, std::size_t at, bool orEqual);
  // The first entry that does not sort before the probe (`orEqual`: or equal
  // to it); the end of the last block when every entry does.
  Position Bound(const Probe& probe, bool orEqual) const;
  bool Holds(Position position) const;
  void BlockChanged(std::size_t block);
  void NewBlock(std::size_t at);
  void DropBlock(std::size_t at);
  // Moves `count` entries from `first` of `from` to `at` of `to`.
  static void Transfer(Block& from, std::size_t first, std::size_t count, Block& to, std::size_t at);
  void Split(std::size_t block);
  // Merges the underfull `block` with a neighbour, or evens the two out.
  void Refill(std::size_t block);

  std::vector<std::unique_ptr<Block>> blocks_;
  std::vector<std::uint64_t> lastHighs_;  // of each block's last entry
};
