#include "infsurvey/inf_section_store.h"

#include <optional>

#include "console/ascii_text.h"

namespace infsurvey {
namespace {

using console::Trim;

constexpr std::size_t kChains = 256;

void MarkStale(LookupIndex& index) { index.current = false; }

void TrimInPlace(std::string& text) {
  std::string_view trimmed = Trim(text);
  if (trimmed.size() == text.size()) return;  // lines mostly come trimmed
  std::size_t first = static_cast<std::size_t>(trimmed.data() - text.data());
  text.resize(first + trimmed.size());
  text.erase(0, first);
}

// Puts each name at the head of its chain, from the first to the last;
// items without a name get no place.
template <typename NameOf>
void BuildIndex(LookupIndex& index, std::size_t count, NameOf name_of) {
  index.heads.assign(kChains, -1);
  index.items.clear();
  index.items.reserve(count);
  for (std::size_t position = 0; position < count; ++position) {
    std::optional<std::string_view> name = name_of(position);
    if (!name) continue;
    std::uint32_t chain = LookupHash(*name) % kChains;
    index.items.push_back({*name, position, index.heads[chain]});
    index.heads[chain] = static_cast<std::int32_t>(index.items.size() - 1);
  }
  index.current = true;
}

// Position of the newest item whose name equals the query but for case,
// or npos.
std::size_t Search(const LookupIndex& index, std::string_view query) {
  for (std::int32_t item = index.heads[LookupHash(query) % kChains]; item >= 0;
       item = index.items[static_cast<std::size_t>(item)].next) {
    const LookupIndex::Item& found = index.items[static_cast<std::size_t>(item)];
    if (console::EqualsIgnoringCase(found.name, query)) return found.position;
  }
  return std::string::npos;
}

InfSection* FindSection(InfSectionStore& store, std::string_view name) {
  if (!store.index.current) {
    BuildIndex(store.index, store.sections.size(), [&](std::size_t i) {
      return std::optional<std::string_view>(store.sections[i].name);
    });
  }
  std::size_t position = Search(store.index, name);
  return position == std::string::npos ? nullptr : &store.sections[position];
}

const std::string* FindEntry(InfSectionStore& store, InfSection& section,
                             std::string_view key) {
  const std::string* entries = store.entries.data() + section.first_entry;
  if (!section.index.current) {
    // Plain-form entries have no name and are never found.
    BuildIndex(section.index, section.entry_count,
               [&](std::size_t i) -> std::optional<std::string_view> {
                 std::string_view entry = entries[i];
                 std::size_t equals = entry.find('=');
                 if (equals == std::string_view::npos) return std::nullopt;
                 return entry.substr(0, equals);
               });
  }
  std::size_t position = Search(section.index, key);
  return position == std::string::npos ? nullptr : &entries[position];
}

}  // namespace

std::uint32_t LookupHash(std::string_view name) {
  std::uint32_t hash = 0;
  for (char c : name) {
    hash = (hash << 2 | hash >> 30) ^
           static_cast<unsigned char>(console::ToUpperAscii(c));
  }
  return hash;
}

void LoadLines(InfSectionStore& store, InfLineList lines) {
  store.sections.clear();
  store.entries.clear();
  store.entries.reserve(lines.size());
  std::size_t headers = 0;
  for (const std::string& line : lines) headers += !line.empty() && line.front() == '[';
  store.sections.reserve(headers);
  MarkStale(store.index);
  InfSection* current = nullptr;
  // Each line becomes a name or an entry where it is: trimming and joining
  // only ever shorten it.
  for (std::string& line : lines) {
    TrimInPlace(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      line.pop_back();
      line.erase(0, 1);
      TrimInPlace(line);
      store.sections.push_back({std::move(line), store.entries.size(), 0, {}});
      MarkStale(store.index);
      current = &store.sections.back();
      continue;
    }
    if (current == nullptr) continue;
    std::size_t equals = line.find('=');
    if (equals != std::string::npos) {
      // "name = value" becomes "name=value".
      std::string_view text = line;
      std::size_t name_end = Trim(text.substr(0, equals)).size();
      std::size_t value_start = text.size() - Trim(text.substr(equals + 1)).size();
      if (value_start - name_end > 1) {
        line[name_end] = '=';
        line.erase(name_end + 1, value_start - name_end - 1);
      }
    }
    // Sections follow each other, so a section's entries stay together.
    store.entries.push_back(std::move(line));
    ++current->entry_count;
    MarkStale(current->index);
  }
}

std::string ReadValue(InfSectionStore& store, std::string_view section,
                      std::string_view key, std::string_view default_value) {
  InfSection* found = FindSection(store, section);
  if (found == nullptr) return std::string(default_value);
  const std::string* entry = FindEntry(store, *found, key);
  if (entry == nullptr) return std::string(default_value);
  return entry->substr(entry->find('=') + 1);
}

void ReadSectionEntries(InfSectionStore& store, std::string_view section,
                        EntryList* list) {
  list->clear();
  InfSection* found = FindSection(store, section);
  if (found == nullptr) return;
  auto first = store.entries.begin() + static_cast<std::ptrdiff_t>(found->first_entry);
  list->assign(first, first + static_cast<std::ptrdiff_t>(found->entry_count));
}

std::string EntryName(const EntryList& list, std::size_t i) {
  std::size_t equals = list[i].find('=');
  return equals == std::string::npos ? "" : list[i].substr(0, equals);
}

std::string EntryValue(const EntryList& list, std::size_t i) {
  std::size_t equals = list[i].find('=');
  return equals == std::string::npos ? "" : list[i].substr(equals + 1);
}

}  // namespace infsurvey
