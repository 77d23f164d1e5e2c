#include "infsurvey/inf_section_store.h"

#include "console/ascii_text.h"

namespace infsurvey {
namespace {

using console::Trim;

constexpr std::size_t kChains = 256;

// The hash of a name's upper-cased form: for each byte, rotate left by 2,
// then combine it by exclusive or. Its chain is the hash modulo 256.
std::uint32_t LookupHash(std::string_view name) {
  std::uint32_t hash = 0;
  for (char c : name) {
    hash = (hash << 2 | hash >> 30) ^
           static_cast<unsigned char>(console::ToUpperAscii(c));
  }
  return hash;
}

}  // namespace

template <typename NameOf>
void InfSectionStore::LookupIndex::Build(std::size_t count, NameOf name_of) {
  heads.fill(-1);
  items.clear();
  for (std::size_t position = 0; position < count; ++position) {
    std::string_view name;
    if (!name_of(position, &name)) continue;
    std::uint32_t chain = LookupHash(name) % kChains;
    items.push_back({name, position, heads[chain]});
    heads[chain] = static_cast<std::int32_t>(items.size() - 1);
  }
  current = true;
}

std::optional<std::size_t> InfSectionStore::LookupIndex::Search(
    std::string_view query) const {
  for (std::int32_t item = heads[LookupHash(query) % kChains]; item >= 0;
       item = items[static_cast<std::size_t>(item)].next) {
    const Item& found = items[static_cast<std::size_t>(item)];
    if (console::EqualsIgnoringCase(found.name, query)) return found.position;
  }
  return std::nullopt;
}

std::optional<std::size_t> InfSectionStore::FindSection(std::string_view name) {
  if (!section_index_.current) {
    section_index_.Build(sections_.size(),
                         [&](std::size_t i, std::string_view* section_name) {
                           *section_name = Text(sections_[i].name);
                           return true;
                         });
  }
  return section_index_.Search(name);
}

// Appends `text` to the store's text; gives where it lies.
InfSectionStore::TextSpan InfSectionStore::Append(std::string_view text) {
  TextSpan span{static_cast<std::uint32_t>(text_.size()),
                static_cast<std::uint32_t>(text.size())};
  text_.append(text);
  return span;
}

void InfSectionStore::LoadLines(const InfLineList& lines) {
  text_.clear();
  sections_.clear();
  entries_.clear();
  section_index_.current = entry_index_.current = false;
  Section* current = nullptr;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];  // trimmed, and no comment
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      sections_.push_back(
          {Append(Trim(line.substr(1, line.size() - 2))), entries_.size(), 0});
      current = &sections_.back();
      continue;
    }
    if (current == nullptr) continue;
    std::string_view name, value;
    TextSpan entry;
    if (SplitEntry(line, &name, &value)) {
      // "name = value" becomes "name=value".
      entry = Append(Trim(name));
      text_ += '=';
      text_ += Trim(value);
      entry.length = static_cast<std::uint32_t>(text_.size() - entry.first);
    } else {
      entry = Append(line);
    }
    // Sections follow each other, so a section's entries stay together.
    entries_.push_back(entry);
    ++current->entry_count;
  }
}

std::optional<std::string_view> InfSectionStore::ReadValue(
    std::string_view section, std::string_view key) {
  std::optional<std::size_t> found = FindSection(section);
  if (!found) return std::nullopt;
  const TextSpan* entries = entries_.data() + sections_[*found].first_entry;
  if (!entry_index_.current || entry_index_section_ != *found) {
    // Plain-form entries have no name and are never found.
    entry_index_.Build(sections_[*found].entry_count,
                       [&](std::size_t i, std::string_view* entry_name) {
                         std::string_view unused;
                         return SplitEntry(Text(entries[i]), entry_name, &unused);
                       });
    entry_index_section_ = *found;
  }
  std::optional<std::size_t> entry = entry_index_.Search(key);
  if (!entry) return std::nullopt;
  return EntryValue(Text(entries[*entry]));
}

void InfSectionStore::ReadSectionEntries(std::string_view section,
                                         EntryList* list) {
  list->clear();
  if (std::optional<std::size_t> found = FindSection(section))
    SectionEntries(*found, list);
}

void InfSectionStore::SectionEntries(std::size_t i, EntryList* list) const {
  list->clear();
  for (std::size_t e = 0; e < sections_[i].entry_count; ++e)
    list->push_back(Text(entries_[sections_[i].first_entry + e]));
}

std::string_view EntryName(std::string_view entry) {
  std::string_view name, value;
  SplitEntry(entry, &name, &value);
  return name;
}

std::string_view EntryValue(std::string_view entry) {
  std::string_view name, value;
  SplitEntry(entry, &name, &value);
  return value;
}

}  // namespace infsurvey
