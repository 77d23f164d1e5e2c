// The sections and entries of one INF file, queried by name without
// regard to case.
//
// Loading only appends; each lookup index is built on the first lookup
// after a change, so a store that is loaded once and queried a few times
// costs little more than the lines it takes over. Among sections or keys
// of equal name the last one wins.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "infsurvey/inf_line_list.h"

namespace infsurvey {

// 256 chains over the names of a list, newest item first, so that of
// several names equal but for case the one last in the list is found first.
struct LookupIndex {
  struct Item {
    std::string_view name;  // in the list it covers; compared upper-cased
    std::size_t position;
    std::int32_t next;  // next item of the chain, or -1
  };
  std::vector<std::int32_t> heads;  // sized when the index is first built
  std::vector<Item> items;
  bool current = false;  // false after any change of the list it covers
};

// The hash of a name's upper-cased form: for each byte, rotate left by 2,
// then combine by exclusive or. Its chain is the hash modulo 256.
std::uint32_t LookupHash(std::string_view name);

struct InfSection {
  std::string name;
  // Its entries are InfSectionStore::entries[first_entry, +entry_count).
  std::size_t first_entry = 0;
  std::size_t entry_count = 0;
  LookupIndex index;  // over the names of its pair-form entries
};

struct InfSectionStore {
  std::vector<InfSection> sections;  // in the order of their headers
  // Entries of every section in line order: "name=value" (pair form, both
  // parts trimmed) or the trimmed line (plain form).
  std::vector<std::string> entries;
  LookupIndex index;  // over the section names
};

// The caller's copy of a section's entries.
using EntryList = std::vector<std::string>;

// Replaces the store's content with the sections of `lines`: "[name]"
// starts a section, other lines are its entries; lines before the first
// header and comment lines are dropped. The store keeps the texts of the
// list it is given.
void LoadLines(InfSectionStore& store, InfLineList lines);

// The value of `key` in the last section named `section`, or
// `default_value` when either is missing.
std::string ReadValue(InfSectionStore& store, std::string_view section,
                      std::string_view key, std::string_view default_value);

// Empties `list`, then fills it with the entries of the last section named
// `section`, in both forms.
void ReadSectionEntries(InfSectionStore& store, std::string_view section,
                        EntryList* list);

// The text of entry i before its first "=", or empty without one.
std::string EntryName(const EntryList& list, std::size_t i);
// The text of entry i after its first "=", or empty without one.
std::string EntryValue(const EntryList& list, std::size_t i);

}  // namespace infsurvey
