#include "infsurvey/inf_section_store.h"

#include <optional>

#include "console/ascii_text.h"

namespace infsurvey {
namespace {

using console::ToUpperAscii;
using console::Trim;

constexpr std::size_t kChains = 256;

void MarkStale(LookupIndex& index) { index.current = false; }

// Puts each name at the head of its chain, from the first to the last;
// items without a name get no place.
template <typename NameOf>
void BuildIndex(LookupIndex& index, std::size_t count, NameOf name_of) {
  index.heads.fill(-1);
  index.items.clear();
  for (std::size_t position = 0; position < count; ++position) {
    std::optional<std::string_view> name = name_of(position);
    if (!name) continue;
    std::string key = ToUpperAscii(*name);
    std::uint32_t chain = LookupHash(key) % kChains;
    index.items.push_back({std::move(key), position, index.heads[chain]});
    index.heads[chain] = static_cast<std::int32_t>(index.items.size() - 1);
  }
  index.current = true;
}

// Position of the newest item whose key equals the upper-cased query, or
// npos.
std::size_t Search(const LookupIndex& index, std::string_view query) {
  std::string key = ToUpperAscii(query);
  for (std::int32_t item = index.heads[LookupHash(key) % kChains]; item >= 0;
       item = index.items[static_cast<std::size_t>(item)].next) {
    const LookupIndex::Item& found = index.items[static_cast<std::size_t>(item)];
    if (found.key == key) return found.position;
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

const std::string* FindEntry(InfSection& section, std::string_view key) {
  if (!section.index.current) {
    // Plain-form entries have no name and are never found.
    BuildIndex(section.index, section.entries.size(),
               [&](std::size_t i) -> std::optional<std::string_view> {
                 std::string_view entry = section.entries[i];
                 std::size_t equals = entry.find('=');
                 if (equals == std::string_view::npos) return std::nullopt;
                 return entry.substr(0, equals);
               });
  }
  std::size_t position = Search(section.index, key);
  return position == std::string::npos ? nullptr : &section.entries[position];
}

}  // namespace

std::uint32_t LookupHash(std::string_view key) {
  std::uint32_t hash = 0;
  for (char c : key) {
    hash = (hash << 2 | hash >> 30) ^ static_cast<unsigned char>(c);
  }
  return hash;
}

void LoadLines(InfSectionStore& store, const InfLineList& lines) {
  store.sections.clear();
  MarkStale(store.index);
  InfSection* current = nullptr;
  for (const std::string& raw : lines) {
    std::string_view line = Trim(raw);
    if (line.empty() || line.front() == ';') continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      store.sections.push_back({std::string(Trim(line.substr(1, line.size() - 2))), {}, {}});
      MarkStale(store.index);
      current = &store.sections.back();
      continue;
    }
    if (current == nullptr) continue;
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      current->entries.emplace_back(line);
    } else {
      std::string entry(Trim(line.substr(0, equals)));
      entry += '=';
      entry += Trim(line.substr(equals + 1));
      current->entries.push_back(std::move(entry));
    }
    MarkStale(current->index);
  }
}

std::string ReadValue(InfSectionStore& store, std::string_view section,
                      std::string_view key, std::string_view default_value) {
  InfSection* found = FindSection(store, section);
  if (found == nullptr) return std::string(default_value);
  const std::string* entry = FindEntry(*found, key);
  if (entry == nullptr) return std::string(default_value);
  return entry->substr(entry->find('=') + 1);
}

void ReadSectionEntries(InfSectionStore& store, std::string_view section,
                        EntryList* list) {
  list->clear();
  InfSection* found = FindSection(store, section);
  if (found != nullptr) *list = found->entries;
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
