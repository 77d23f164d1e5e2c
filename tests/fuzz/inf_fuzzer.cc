// INF bytes through the line reader, the section store and the
// manufacturer element, as one survey of a fake file:
// - the lines are those the reading rules give, whatever the read sizes;
// - lookups with names drawn from the input find what the rules say;
// - the element is well-formed XML with at most one manufacturer;
// - a failing read ends the run with the failure report and no handle left.
// The file's path, made of the input's first bytes, is any byte string.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/platform.h"
#include "console/program.h"
#include "infsurvey/catalog_writer.h"
#include "infsurvey/inf_line_reader.h"
#include "infsurvey/manufacturer_models.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/xml_reader.h"

namespace {

using console::FakePlatform;
using console::FakeFileSystem;
using fuzz::Escaped;
using fuzz::Fail;
using fuzz::Require;
using Lines = std::vector<std::string>;

constexpr std::size_t kMaxLines = 60;
constexpr std::size_t kMaxProbes = 8;


struct Outcome {
  int exit_code;
  Lines lines;
  std::string out, err;
  int reads;
};

Outcome Run(const std::string& bytes, const std::string& path,
            std::vector<std::uint32_t> read_sizes, int failing_read) {
  fuzz::FreshConsole fresh;
  fresh.os.fs.AddFile(path, bytes);
  fresh.os.fs.read_sizes = std::move(read_sizes);
  if (failing_read != 0)
    fresh.os.FailCall(FakePlatform::Call::kReadFile, failing_read,
                      console::kErrorReadFault);
  // One INF as the catalogue run surveys it.
  infsurvey::InfLineList list;
  int exit_code = console::RunMainBlock([&] {
    infsurvey::InfSectionStore store;
    infsurvey::ManufacturerModels found;
    infsurvey::ReadInfLines(path, &list);
    store.LoadLines(list);
    if (infsurvey::FindManufacturerModels(store, &found))
      infsurvey::WriteManufacturerElement(found, path);
  });
  Require(fresh.os.fs.open_handles == 0, "the INF is closed after the run");
  Lines lines;
  for (std::size_t i = 0; i < list.size(); ++i) lines.emplace_back(list[i]);
  return {exit_code, std::move(lines),
          fresh.os.fs.Written(FakeFileSystem::kStdOutHandle),
          fresh.os.fs.Written(FakeFileSystem::kStdErrHandle),
          fresh.os.CallCount(FakePlatform::Call::kReadFile)};
}

std::string Trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32)
    text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32)
    text.remove_suffix(1);
  return std::string(text);
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return upper;
}

// The reading rules: bytes outside 32-127 dropped, CR or LF ends a line,
// blank and ";" lines skipped, a 26 ends the file, 60 lines at most.
Lines ExpectedLines(std::string_view bytes) {
  Lines lines;
  std::string pending;
  auto end_line = [&] {
    std::string line = Trimmed(pending);
    if (!line.empty() && line[0] != ';') lines.emplace_back(line.data(), line.size());
    pending.clear();
  };
  for (char c : bytes) {
    unsigned char code = static_cast<unsigned char>(c);
    if (code == 26) break;
    if (c == '\r' || c == '\n') {
      end_line();
    } else if (code >= 32 && code <= 127) {
      pending += c;
    }
  }
  end_line();
  if (lines.size() > kMaxLines) lines.resize(kMaxLines);
  return lines;
}

void CheckLineForm(const Lines& lines) {
  Require(lines.size() <= kMaxLines, "at most 60 lines");
  for (std::string_view line : lines) {
    Require(!line.empty(), "no empty line");
    Require(line.front() != ';', "no comment line");
    for (char c : line)
      Require(static_cast<unsigned char>(c) >= 32 && static_cast<unsigned char>(c) <= 127,
              "only codes 32 to 127");
    Require(static_cast<unsigned char>(line.front()) > 32 &&
                static_cast<unsigned char>(line.back()) > 32,
            "lines are trimmed");
  }
}

// The lines as the section rules see them: a header's name, or an
// entry's name and value, names upper-cased.
struct ModelLine {
  bool header;
  std::string name, value;
};

std::vector<ModelLine> ModelLines(const Lines& lines) {
  std::vector<ModelLine> model;
  for (std::string_view line : lines) {
    std::size_t equals = line.find('=');
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      model.push_back({true, Upper(Trimmed(line.substr(1, line.size() - 2))), ""});
    } else if (equals != std::string::npos) {
      model.push_back({false, Upper(Trimmed(line.substr(0, equals))),
                       Trimmed(line.substr(equals + 1))});
    }
  }
  return model;
}

// The value of `key` in the last section named `section`, both without
// regard to ASCII case (given upper-cased); the last of equal keys wins.
std::string ExpectedValue(const std::vector<ModelLine>& model,
                          const std::string& wanted_section,
                          const std::string& wanted_key,
                          const std::string& missing) {
  const std::string* value = &missing;
  bool inside = false;
  for (const ModelLine& line : model) {
    if (line.header) {
      inside = line.name == wanted_section;
      if (inside) value = &missing;  // an earlier section of the name is hidden
    } else if (inside && line.name == wanted_key) {
      value = &line.value;
    }
  }
  return *value;
}

// Names to look up: the usual ones, slices of the raw input, which may
// hold any byte, and names of lines picked by input bytes.
std::vector<std::string> Probes(std::string_view bytes, const Lines& lines) {
  std::vector<std::string> probes = {"Version", "class"};
  auto byte = [&](std::size_t i) {
    return static_cast<std::size_t>(static_cast<unsigned char>(bytes[i % bytes.size()]));
  };
  if (bytes.empty()) return probes;
  for (std::size_t i = 0; i < 4; i += 2)
    probes.emplace_back(bytes.substr(byte(i) % bytes.size(), byte(i + 1) % 24));
  for (std::size_t i = 0; !lines.empty() && probes.size() < kMaxProbes; ++i) {
    std::string_view line = lines[(byte(bytes.size() - 1 - i) * 7 + i) % lines.size()];
    std::size_t equals = line.find('=');
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      probes.emplace_back(line.substr(1, line.size() - 2));
    } else {
      probes.push_back(Trimmed(line.substr(0, equals)));
    }
  }
  return probes;
}

void CheckLookups(std::string_view bytes, const Lines& lines) {
  infsurvey::InfLineList list;
  for (const std::string& line : lines) {
    list.AppendPending(line.data(), line.size());
    list.EndPendingLine();
  }
  infsurvey::InfSectionStore store;
  store.LoadLines(list);
  const std::string missing = "\x01missing";
  std::vector<std::string> probes = Probes(bytes, lines);
  std::vector<ModelLine> model = ModelLines(lines);
  std::vector<std::string> upper;
  for (const std::string& probe : probes) upper.push_back(Upper(probe));
  infsurvey::EntryList entries;
  for (std::size_t s = 0; s < probes.size(); ++s) {
    const std::string& section = probes[s];
    store.ReadSectionEntries(section, &entries);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      std::string_view name = infsurvey::EntryName(entries[i]);
      std::string_view value = infsurvey::EntryValue(entries[i]);
      Require(name.size() + value.size() <= entries[i].size(), "an entry's name and value are parts of it");
    }
    std::string models_section;
    infsurvey::ModelsSectionName(section, &models_section);
    for (std::size_t k = 0; k < probes.size(); ++k) {
      const std::string& key = probes[k];
      std::string value(store.ReadValue(section, key).value_or(missing));
      std::string expected = ExpectedValue(model, upper[s], upper[k], missing);
      if (value != expected)
        Fail("[" + Escaped(section) + "] " + Escaped(key) + " reads " +
             Escaped(value) + ", expected " + Escaped(expected));
    }
  }
}

void CheckElement(const std::string& fragment) {
  std::string document =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><r>" + fragment + "</r>";
  fuzz::XmlElement root;
  std::string error;
  if (!fuzz::ReadXmlDocument(document, &root, &error))
    Fail("element not well-formed: " + error + " in " + Escaped(fragment));
  Require(fuzz::CountElements(root, U"manufacturer") <= 1,
          "at most one manufacturer element");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string path = bytes.substr(0, std::min<std::size_t>(bytes.find('\n'), 24)) + ".inf";

  Outcome whole = Run(bytes, path, {}, 0);
  if (whole.exit_code != 0 || !whole.err.empty())
    Fail("the survey failed: " + Escaped(whole.err));
  CheckLineForm(whole.lines);
  if (whole.lines != ExpectedLines(bytes)) Fail("lines differ from the rules");
  CheckLookups(bytes, whole.lines);
  CheckElement(whole.out);

  // Smaller reads change nothing.
  std::uint32_t read_size = size == 0 ? 1 : 1 + data[size - 1] % 128;
  Outcome pieces = Run(bytes, path, {read_size}, 0);
  Require(pieces.exit_code == 0 && pieces.lines == whole.lines &&
              pieces.out == whole.out,
          "the read size changes nothing");

  // Any read of the file that fails ends the run with the report.
  int failing = 1 + (size == 0 ? 0 : data[size / 2] % pieces.reads);
  Outcome failed = Run(bytes, path, {read_size}, failing);
  Require(failed.exit_code == 1 && failed.out.empty() &&
              failed.err ==
                  "Exception EInOutError in module fake.exe at 00001A2B.\r\n"
                  "I/O error 30.\r\n\r\n",
          "a failed read gives the failure report");
  return 0;
}
