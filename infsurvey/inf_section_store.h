// The sections and entries of one INF file, queried by name without
// regard to case.
//
// Loading only appends; each lookup index is built on the first lookup
// after a change, so a store that is loaded once and queried a few times
// costs little more than the copy of its lines. Among sections or keys of
// equal name the last one wins.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "infsurvey/inf_line_list.h"

namespace infsurvey {

// 256 chains over the names of a list, newest item first, so that of
// several equal keys the one last in the list is found first.
struct LookupIndex {
  struct Item {
    std::string key;  // the upper-cased name
    std::size_t position;
    std::int32_t next;  // next item of the chain, or -1
  };
  std::array<std::int32_t, 256> heads{};
  std::vector<Item> items;
  bool current = false;  // false after any change of the list it covers
};

// The hash of an upper-cased key: rotate left by 2, then XOR each byte.
std::uint32_t LookupHash(std::string_view key);

struct InfSection {
  std::string name;
  // "name=value" (pair form, both trimmed) or the trimmed line (plain form).
  std::vector<std::string> entries;
  LookupIndex index;  // over the names of pair-form entries
};

struct InfSectionStore {
  std::vector<InfSection> sections;  // in the order of their headers
  LookupIndex index;                 // over the section names
};

// The caller's copy of a section's entries.
using EntryList = std::vector<std::string>;

// Replaces the store's content with the sections of `lines`: "[name]"
// starts a section, other lines are its entries; lines before the first
// header and comment lines are dropped.
void LoadLines(InfSectionStore& store, const InfLineList& lines);

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
