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
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "infsurvey/inf_line_list.h"

namespace infsurvey {

// A section's entries, seen in the store: valid until it is loaded again.
using EntryList = std::vector<std::string_view>;

class InfSectionStore {
 public:
  // Replaces the content with the sections of `lines`: "[name]" starts a
  // section, other lines are its entries; lines before the first header
  // are dropped. The store copies the texts.
  void LoadLines(const InfLineList& lines);

  // The value of `key` in the last section named `section`; none when
  // either is missing. Builds the indexes it needs.
  std::optional<std::string_view> ReadValue(std::string_view section,
                                            std::string_view key);

  // Empties `list`, then fills it with the entries of the last section
  // named `section`, in both forms: "name=value" or the line.
  void ReadSectionEntries(std::string_view section, EntryList* list);

  // The sections by position, in the order of their headers.
  std::size_t SectionCount() const { return sections_.size(); }
  std::string_view SectionName(std::size_t i) const {
    return Text(sections_[i].name);
  }
  void SectionEntries(std::size_t i, EntryList* list) const;

 private:
  // Where a name or an entry lies in text_.
  struct TextSpan {
    std::uint32_t first = 0, length = 0;
  };
  struct Section {
    TextSpan name;
    // Its entries are entries_[first_entry, +entry_count).
    std::size_t first_entry = 0;
    std::size_t entry_count = 0;
  };
  // 256 chains over the names of a list, newest item first, so that of
  // several names equal but for case the one last in the list is found
  // first.
  struct LookupIndex {
    struct Item {
      std::string_view name;  // in text_; compared upper-cased
      std::size_t position;   // in the list the index covers
      std::int32_t next;      // next item of the chain, or -1
    };
    std::array<std::int32_t, 256> heads;
    std::vector<Item> items;
    bool current = false;  // false after any change of the list it covers

    // Puts the names of the list's `count` items at the heads of their
    // chains, first to last; an item without a name gets no place.
    template <typename NameOf>
    void Build(std::size_t count, NameOf name_of);
    // Position of the newest item named `query` but for case, or none.
    std::optional<std::size_t> Search(std::string_view query) const;
  };

  std::string_view Text(TextSpan span) const {
    return std::string_view(text_).substr(span.first, span.length);
  }
  std::optional<std::size_t> FindSection(std::string_view name);
  TextSpan Append(std::string_view text);

  std::string text_;  // the names and entries, each trimmed
  std::vector<Section> sections_;  // in the order of their headers
  std::vector<TextSpan> entries_;  // of every section, in line order
  LookupIndex section_index_;
  // Over the pair-form entries of one section: the last one asked about.
  LookupIndex entry_index_;
  std::size_t entry_index_section_ = 0;
};

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
