#include "infsurvey/inf_section_store.h"

#include "console/ascii_text.h"

namespace infsurvey {
namespace {

using console::Trim;

constexpr std::size_t kChains = 256;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

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

// Puts each name at the head of its chain, from the first to the last;
// items without a name get no place.
template <typename NameOf>
void BuildIndex(LookupIndex& index, std::size_t count, NameOf name_of) {
  index.heads.fill(-1);
  index.items.clear();
  for (std::size_t position = 0; position < count; ++position) {
    std::string_view name;
    if (!name_of(position, &name)) continue;
    std::uint32_t chain = LookupHash(name) % kChains;
    index.items.push_back({name, position, index.heads[chain]});
    index.heads[chain] = static_cast<std::int32_t>(index.items.size() - 1);
  }
  index.current = true;
}

// Position of the newest item whose name equals the query but for case,
// or kNone.
std::size_t Search(const LookupIndex& index, std::string_view query) {
  for (std::int32_t item = index.heads[LookupHash(query) % kChains]; item >= 0;
       item = index.items[static_cast<std::size_t>(item)].next) {
    const LookupIndex::Item& found = index.items[static_cast<std::size_t>(item)];
    if (console::EqualsIgnoringCase(found.name, query)) return found.position;
  }
  return kNone;
}

std::size_t FindSection(InfSectionStore& store, std::string_view name) {
  if (!store.section_index.current) {
    BuildIndex(store.section_index, store.sections.size(),
               [&](std::size_t i, std::string_view* section_name) {
                 *section_name = store.Text(store.sections[i].name);
                 return true;
               });
  }
  return Search(store.section_index, name);
}

// The entry of `key` in section `section`, or nullptr.
const TextSpan* FindEntry(InfSectionStore& store, std::size_t section,
                          std::string_view key) {
  const InfSection& found = store.sections[section];
  const TextSpan* entries = store.entries.data() + found.first_entry;
  if (!store.entry_index.current || store.entry_index_section != section) {
    // Plain-form entries have no name and are never found.
    BuildIndex(store.entry_index, found.entry_count,
               [&](std::size_t i, std::string_view* entry_name) {
                 std::string_view value;
                 return SplitEntry(store.Text(entries[i]), entry_name, &value);
               });
    store.entry_index_section = section;
  }
  std::size_t position = Search(store.entry_index, key);
  return position == kNone ? nullptr : &entries[position];
}

// Appends `text` to the store's text; gives where it lies.
TextSpan Append(InfSectionStore& store, std::string_view text) {
  TextSpan span{static_cast<std::uint32_t>(store.text.size()),
                static_cast<std::uint32_t>(text.size())};
  store.text.append(text);
  return span;
}

}  // namespace

void LoadLines(InfSectionStore& store, const InfLineList& lines) {
  store.text.clear();
  store.sections.clear();
  store.entries.clear();
  store.section_index.current = false;
  store.entry_index.current = false;
  InfSection* current = nullptr;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];  // trimmed, and no comment
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      store.sections.push_back(
          {Append(store, Trim(line.substr(1, line.size() - 2))),
           store.entries.size(), 0});
      current = &store.sections.back();
      continue;
    }
    if (current == nullptr) continue;
    std::string_view name, value;
    TextSpan entry;
    if (SplitEntry(line, &name, &value)) {
      // "name = value" becomes "name=value".
      entry = Append(store, Trim(name));
      store.text += '=';
      store.text += Trim(value);
      entry.length = static_cast<std::uint32_t>(store.text.size() - entry.first);
    } else {
      entry = Append(store, line);
    }
    // Sections follow each other, so a section's entries stay together.
    store.entries.push_back(entry);
    ++current->entry_count;
  }
}

std::string_view ReadValue(InfSectionStore& store, std::string_view section,
                           std::string_view key, std::string_view default_value) {
  std::size_t found = FindSection(store, section);
  if (found == kNone) return default_value;
  const TextSpan* entry = FindEntry(store, found, key);
  if (entry == nullptr) return default_value;
  return EntryValue(store.Text(*entry));
}

void ReadSectionEntries(InfSectionStore& store, std::string_view section,
                        EntryList* list) {
  list->clear();
  std::size_t found = FindSection(store, section);
  if (found == kNone) return;
  const InfSection& entries = store.sections[found];
  for (std::size_t i = 0; i < entries.entry_count; ++i)
    list->push_back(store.Text(store.entries[entries.first_entry + i]));
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
