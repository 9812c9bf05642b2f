#include "book/book.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "board/keys.h"
#include "platform/frontend.h"
#include "platform/regularfile.h"
#include "platform/safewrite.h"

namespace kestrin {

OpeningBook openingBook;

namespace {

constexpr BookEntry EmptyEntry{0, BookNoEntry, 0, BookEmptyValue};

// The book starts empty before anything can use it.
const bool bookReady = (BookCreate(), true);

std::string Format(const char* format, int a, int b = 0, int c = 0) {
  char text[128];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

BookEntry* Next(BookEntry* entry) {
  return entry->next == BookNoEntry ? nullptr : &openingBook.pool[entry->next];
}

bool Matches(const BookEntry& entry, u16 check, u32 lock) {
  return entry.value != BookEmptyValue && entry.check == check && entry.lock == lock;
}

void PutU16(unsigned char* out, u16 v) {
  out[0] = static_cast<unsigned char>(v);
  out[1] = static_cast<unsigned char>(v >> 8);
}

void PutU32(unsigned char* out, u32 v) {
  PutU16(out, static_cast<u16>(v));
  PutU16(out + 2, static_cast<u16>(v >> 16));
}

u16 GetU16(const unsigned char* in) { return static_cast<u16>(in[0] | (in[1] << 8)); }
u32 GetU32(const unsigned char* in) { return GetU16(in) | (u32(GetU16(in + 2)) << 16); }

} // namespace

void BookCreate() {
  (void)bookReady;
  for (auto& entry : openingBook.slots) entry = EmptyEntry;
  for (auto& entry : openingBook.pool) entry = EmptyEntry;
  openingBook.poolUsed = 0;
  openingBook.count = 0;
}

bool BookClear() {
  if (!CurrentFrontend().AskYesNo(
          "If you made any new book entries, they will be lost if not saved. Really Clear Book?", "Clear Book?"))
    return false;
  BookCreate();
  SetInfoText("Book Cleared");
  return true;
}

namespace {

u64 FullKey(u32 hashKey, u32 hashLock) { return u64(hashKey) << 32 | hashLock; }

// Walks the chain of an occupied slot: the position's entry, or nullptr with `last` set to the
// chain's last entry and `length` to its number of entries.
BookEntry* WalkChain(int slot, u16 check, u32 hashLock, BookEntry*& last, int& length) {
  length = 0;
  for (BookEntry* at = &openingBook.slots[slot]; at; at = Next(at), ++length) {
    if (Matches(*at, check, hashLock)) return at;
    last = at;
  }
  return nullptr;
}

// While a file is merged into the book, a chain that has grown long (a file crafted so that
// its records share one slot) is indexed by full keys and by its last entry, so that it is not
// walked again for every record. Chains of ordinary books stay short and are walked.
class MergeIndex {
public:
  BookEntry* Find(int slot, u32 hashKey, u32 hashLock, BookEntry*& last) {
    if (!tails.empty() && tails[slot]) {
      last = tails[slot];
      const auto found = entries.find(FullKey(hashKey, hashLock));
      return found == entries.end() ? nullptr : found->second;
    }
    int length = 0;
    BookEntry* entry = WalkChain(slot, static_cast<u16>(hashKey >> 16), hashLock, last, length);
    if (!entry && length > LongChain) {
      if (tails.empty()) tails.assign(BookSlotCount, nullptr);
      for (BookEntry* at = &openingBook.slots[slot]; at; at = Next(at))
        entries[FullKey(u32(at->check) << 16 | u32(slot & 0xFFFF), at->lock)] = at;
      tails[slot] = last;
    }
    return entry;
  }

  void Added(int slot, u32 hashKey, u32 hashLock, BookEntry* entry) {
    if (tails.empty() || !tails[slot]) return;
    entries[FullKey(hashKey, hashLock)] = entry;
    tails[slot] = entry;
  }

private:
  static constexpr int LongChain = 32;
  std::unordered_map<u64, BookEntry*> entries;
  std::vector<BookEntry*> tails; // per slot the last entry of an indexed chain, else nullptr
};

enum class AddResult { Added, Changed, Full, Refused };

AddResult AddKeys(u32 hashKey, u32 hashLock, int value, bool quiet, MergeIndex* index) {
  // The empty mark cannot be a value: stored, it would cut the chain it sits in.
  if (value == BookEmptyValue) return AddResult::Refused;
  const int slot = static_cast<int>(hashKey & BookSlotMask);
  const u16 check = static_cast<u16>(hashKey >> 16);
  BookEntry* head = &openingBook.slots[slot];
  BookEntry* entry = nullptr; // the position's entry when the book holds it
  BookEntry* last = nullptr;  // else, in an occupied slot, the entry a new one is chained to
  if (head->value != BookEmptyValue) {
    int length = 0;
    entry = index ? index->Find(slot, hashKey, hashLock, last) : WalkChain(slot, check, hashLock, last, length);
  }
  if (entry) {
    if (!quiet) SetInfoText(Format("Position Exists. %d\nValue was %d now %d", slot, entry->value, value));
    if (value == BookOccurrenceValue && entry->value > 100) {
      if (entry->value < 32767) ++entry->value;
    } else {
      entry->value = static_cast<i16>(value);
    }
    return AddResult::Changed;
  }
  entry = head;
  if (last) {
    if (openingBook.poolUsed >= BookPoolSize) return AddResult::Full;
    last->next = openingBook.poolUsed++;
    entry = Next(last);
    *entry = EmptyEntry;
  }
  ++openingBook.count;
  entry->lock = hashLock;
  entry->check = check;
  entry->value = static_cast<i16>(value);
  if (index) index->Added(slot, hashKey, hashLock, entry);
  if (!quiet) SetInfoText(Format("Position Added. %d\nValue %d", slot, value));
  return AddResult::Added;
}

} // namespace

bool BookAdd(const Position& position, int value, bool quiet) {
  return BookAddKeys(ComputeHashKey(position), ComputeHashLock(position), value, quiet);
}

bool BookAddKeys(u32 hashKey, u32 hashLock, int value, bool quiet) {
  if (AddKeys(hashKey, hashLock, value, quiet, nullptr) != AddResult::Full) return true;
  if (!quiet) SetInfoText("Book Full!");
  return false;
}

void BookRemove(const Position& position, bool quiet) {
  u32 hashKey = ComputeHashKey(position), lock = ComputeHashLock(position);
  int slot = static_cast<int>(hashKey & BookSlotMask);
  u16 check = static_cast<u16>(hashKey >> 16);
  BookEntry* previous = nullptr;
  for (BookEntry* entry = &openingBook.slots[slot]; entry && entry->value != BookEmptyValue;
       previous = entry, entry = Next(entry)) {
    if (!Matches(*entry, check, lock)) continue;
    --openingBook.count;
    if (!quiet) SetInfoText(Format("Position Removed. %d\nValue was %d", slot, entry->value));
    if (previous) {
      previous->next = entry->next;
    } else if (entry->next == BookNoEntry) {
      *entry = EmptyEntry;
    } else {
      *entry = *Next(entry);
    }
    return;
  }
  if (!quiet) SetInfoText(Format("Position does not exist. %d\n", slot));
}

int BookLookupKeys(u32 hashKey, u32 hashLock) {
  u16 check = static_cast<u16>(hashKey >> 16);
  for (const BookEntry* entry = &openingBook.slots[hashKey & BookSlotMask]; entry && entry->value != BookEmptyValue;
       entry = entry->next == BookNoEntry ? nullptr : &openingBook.pool[entry->next])
    if (Matches(*entry, check, hashLock)) return entry->value;
  return BookEmptyValue;
}

int BookLookup(const Position& position) {
  return BookLookupKeys(ComputeHashKey(position), ComputeHashLock(position));
}

namespace {

// A book file holds hand values (-2..2), built positions (0) and at most modest occurrence
// counts (100 + k): a value far outside that marks a file of another kind, whose bytes would
// be merged as thousands of junk positions. Text has values of 2560 and more in every record,
// random bytes mostly. Leaves the file at its start.
bool HoldsBookRecords(std::FILE* file, long long records) {
  constexpr int LowestValue = -99, HighestValue = 1099;
  unsigned char record[BookRecordSize];
  bool book = true;
  for (; book && records > 0 && std::fread(record, 1, BookRecordSize, file) == BookRecordSize; --records) {
    const int value = static_cast<i16>(GetU16(record + 6));
    book = value >= LowestValue && value <= HighestValue;
  }
  return std::fseek(file, 0, SEEK_SET) == 0 && book;
}

} // namespace

int BookLoad(const char* fileName) {
  long long size = 0;
  std::FILE* file = OpenRegularFile(fileName, FileAccess::Read, &size);
  if (!file) {
    ShowMessage("Error Loading Opening Book", "File Missing");
    return 0;
  }
  if (size > MaxBookFileBytes) {
    std::fclose(file);
    ShowMessage("Error Loading Opening Book", "Not a Book File");
    return 0;
  }
  // No more records than the file held when opened.
  long long records = size / static_cast<long long>(BookRecordSize);
  if (!HoldsBookRecords(file, records)) {
    std::fclose(file);
    ShowMessage("Error Loading Opening Book", "Not a Book File");
    return 0;
  }
  int kept = 0;
  bool full = false;
  MergeIndex index;
  unsigned char record[BookRecordSize];
  for (; records > 0 && std::fread(record, 1, BookRecordSize, file) == BookRecordSize; --records) {
    const u32 hashKey = u32(GetU16(record + 4)) << 16 | GetU16(record + 8);
    const AddResult result = AddKeys(hashKey, GetU32(record), static_cast<i16>(GetU16(record + 6)), true, &index);
    kept += result == AddResult::Added || result == AddResult::Changed;
    if (result == AddResult::Full && !full) {
      full = true;
      SetInfoText("Book Full!");
    }
  }
  std::fclose(file);
  SetInfoText(Format("%d Positions Loaded", kept));
  return 1;
}

int BookSave(const char* fileName, int threshold) {
  // Records are gathered first and the counts turned into values only once the file stands,
  // so a failed save changes nothing.
  std::vector<unsigned char> bytes;
  bytes.reserve(static_cast<std::size_t>(openingBook.count) * BookRecordSize);
  auto visit = [&](bool commit) {
    for (int slot = 0; slot < BookSlotCount; ++slot) {
      for (BookEntry* entry = &openingBook.slots[slot]; entry && entry->value != BookEmptyValue;
           entry = Next(entry)) {
        int value = entry->value;
        if (value >= 100 + threshold) value = 0;
        if (commit) {
          entry->value = static_cast<i16>(value);
        } else if (value < 100) {
          unsigned char record[BookRecordSize];
          PutU32(record, entry->lock);
          PutU16(record + 4, entry->check);
          PutU16(record + 6, static_cast<u16>(value));
          PutU16(record + 8, static_cast<u16>(slot));
          bytes.insert(bytes.end(), record, record + BookRecordSize);
        }
      }
    }
  };
  visit(false);
  if (!WriteFileReplacing(fileName, bytes.data(), bytes.size())) {
    ShowMessage("Error Saving Opening Book", "File Error");
    return 0;
  }
  visit(true);
  SetInfoText(Format("%d Positions Saved", static_cast<int>(bytes.size() / BookRecordSize)));
  return 1;
}

OpeningBook* BookSnapshot() {
  auto* copy = new (std::nothrow) OpeningBook;
  if (copy) std::memcpy(static_cast<void*>(copy), &openingBook, sizeof openingBook);
  return copy;
}

void BookRestore(OpeningBook* snapshot) {
  if (!snapshot) return;
  std::memcpy(static_cast<void*>(&openingBook), snapshot, sizeof openingBook);
  delete snapshot;
}

void BookDiscard(OpeningBook* snapshot) { delete snapshot; }

} // namespace kestrin
