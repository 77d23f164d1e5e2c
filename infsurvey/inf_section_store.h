// The sections and entries of one INF file, queried by name without
// regard to case.
//
// Loading only appends; each lookup index is built on the first lookup
// after a change, so a store that is loaded once and queried a few times
// costs little more than the lines it takes over. Among sections or keys
// of equal name the last one wins. A store loaded again keeps its storage,
// so reading INF after INF allocates nothing once the largest has been
// seen.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "infsurvey/inf_line_list.h"

namespace infsurvey {

// Where a name or an entry lies in the store's text.
struct TextSpan {
  std::uint32_t first = 0, length = 0;
};

// 256 chains over the names of a list, newest item first, so that of
// several names equal but for case the one last in the list is found first.
struct LookupIndex {
  struct Item {
    std::string_view name;  // in the store; compared upper-cased
    std::size_t position;   // in the list the index covers
    std::int32_t next;      // next item of the chain, or -1
  };
  std::array<std::int32_t, 256> heads;
  std::vector<Item> items;
  bool current = false;  // false after any change of the list it covers
};

struct InfSection {
  TextSpan name;
  // Its entries are InfSectionStore::entries[first_entry, +entry_count).
  std::size_t first_entry = 0;
  std::size_t entry_count = 0;
};

struct InfSectionStore {
  // The names and entries, each trimmed: "name=value" (pair form) or the
  // line (plain form).
  std::string text;
  std::vector<InfSection> sections;  // in the order of their headers
  std::vector<TextSpan> entries;     // of every section, in line order
  LookupIndex section_index;
  // Over the pair-form entries of one section: the last one asked about.
  LookupIndex entry_index;
  std::size_t entry_index_section = 0;

  std::string_view Text(TextSpan span) const {
    return std::string_view(text).substr(span.first, span.length);
  }
};

// A section's entries, seen in the store: valid until it is loaded again.
using EntryList = std::vector<std::string_view>;

// Replaces the store's content with the sections of `lines`: "[name]"
// starts a section, other lines are its entries; lines before the first
// header are dropped. The store copies the texts.
void LoadLines(InfSectionStore& store, const InfLineList& lines);

// The value of `key` in the last section named `section`, or
// `default_value` when either is missing.
std::string_view ReadValue(InfSectionStore& store, std::string_view section,
                           std::string_view key, std::string_view default_value);

// Empties `list`, then fills it with the entries of the last section named
// `section`, in both forms.
void ReadSectionEntries(InfSectionStore& store, std::string_view section,
                        EntryList* list);

// An entry split at its first "=" into the text before it and the text
// after it; false, with both empty, for an entry without one (plain form).
inline bool SplitEntry(std::string_view entry, std::string_view* name,
                       std::string_view* value) {
  std::size_t equals = entry.find('=');
  if (equals == std::string_view::npos) {
    *name = *value = {};
    return false;
  }
  *name = entry.substr(0, equals);
  *value = entry.substr(equals + 1);
  return true;
}
// The two halves of SplitEntry on their own.
std::string_view EntryName(std::string_view entry);
std::string_view EntryValue(std::string_view entry);

}  // namespace infsurvey
