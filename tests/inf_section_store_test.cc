#include "infsurvey/inf_section_store.h"

#include <gtest/gtest.h>

#include <optional>

#include "tests/inf_lines.h"

using namespace infsurvey;

namespace {

const InfLineList kWorkedExample = InfLines({
    "[Version]",
    "Class = Printer",
    "Provider=%Acme%",
    "[Manufacturer]",
    "%Acme% = Acme,NTx86,NTamd64",
    "[Acme.NTx86]",
    "\"Acme LaserPro 500\"   = LP500.GPD, USBPRINT\\AcmeLaserPro500",
    "\"Acme LaserPro 500 PS\" =LP500PS.PPD,USBPRINT\\AcmeLaserPro500PS",
    "[Strings]",
    "Acme = \"Acme Imaging\"",
});

// The entries of the i-th section, by position rather than by name.
EntryList EntriesOf(const InfSectionStore& store, std::size_t i) {
  EntryList entries = {"left over"};
  store.SectionEntries(i, &entries);
  return entries;
}

EntryList Entries(InfSectionStore& store, std::string_view section) {
  EntryList list = {"left over"};
  store.ReadSectionEntries(section, &list);
  return list;
}

TEST(InfSectionStore, WorkedExample) {
  InfSectionStore store;
  store.LoadLines(kWorkedExample);
  ASSERT_EQ(store.SectionCount(), 4u);
  EXPECT_EQ(store.SectionName(0), "Version");
  EXPECT_EQ(EntriesOf(store, 0), (EntryList{"Class=Printer", "Provider=%Acme%"}));
  EXPECT_EQ(EntriesOf(store, 1), (EntryList{"%Acme%=Acme,NTx86,NTamd64"}));
  EXPECT_EQ(store.SectionName(2), "Acme.NTx86");
  EXPECT_EQ(EntriesOf(store, 3), (EntryList{"Acme=\"Acme Imaging\""}));

  EXPECT_EQ(store.ReadValue("Version", "Class"), "Printer");
  EXPECT_EQ(store.ReadValue("VERSION", "class"), "Printer");
  EXPECT_EQ(store.ReadValue("Version", "DriverVer"), std::nullopt);
  EXPECT_EQ(store.ReadValue("Strings", "Acme"), "\"Acme Imaging\"");

  EntryList manufacturers = Entries(store, "Manufacturer");
  ASSERT_EQ(manufacturers.size(), 1u);
  EXPECT_EQ(EntryName(manufacturers[0]), "%Acme%");
  EXPECT_EQ(EntryValue(manufacturers[0]), "Acme,NTx86,NTamd64");

  EntryList models = Entries(store, "acme.ntx86");
  ASSERT_EQ(models.size(), 2u);
  EXPECT_EQ(EntryName(models[0]), "\"Acme LaserPro 500\"");
  EXPECT_EQ(EntryName(models[1]), "\"Acme LaserPro 500 PS\"");
  EXPECT_EQ(EntryValue(models[0]), "LP500.GPD, USBPRINT\\AcmeLaserPro500");
  EXPECT_EQ(EntryValue(models[1]), "LP500PS.PPD,USBPRINT\\AcmeLaserPro500PS");
  EXPECT_TRUE(Entries(store, "Acme.NTamd64").empty());
}

struct ValueCase {
  const char* name;
  std::vector<std::string> lines;
  std::string section, key;
  std::optional<std::string> value;
};

TEST(InfSectionStore, ReadValueRules) {
  const ValueCase cases[] = {
      {"duplicate section: last wins",
       {"[Version]", "Class=Printer", "[Version]", "DriverVer=1.0"},
       "Version", "Class", std::nullopt},
      {"duplicate differing in case",
       {"[Version]", "Class=Printer", "[VERSION]", "Class=Modem"},
       "version", "class", "Modem"},
      {"duplicate key: last wins",
       {"[Version]", "Class=Modem", "Class=Printer"}, "Version", "Class", "Printer"},
      {"key case", {"[Version]", "CLASS=Printer"}, "Version", "Class", "Printer"},
      {"blanks around =", {"[ Version ]", "Class   =   Printer"}, "Version",
       "Class", "Printer"},
      {"blanks inside a name", {"[Acme Models]", "a b = c d"}, "Acme Models",
       "a b", "c d"},
      {"query not trimmed", {"[Version]", "Class=Printer"}, " Version", "Class",
       std::nullopt},
      {"no prefix match", {"[Version]", "Class=Printer"}, "Vers", "Class", std::nullopt},
      {"empty value", {"[Version]", "Class="}, "Version", "Class", ""},
      {"empty name", {"[s]", "=Printer"}, "s", "", "Printer"},
      {"= in the value", {"[s]", "Key = a = b"}, "s", "Key", "a = b"},
      {"= in a quoted name", {"[s]", "\"a=b\" = c"}, "s", "\"a", "b\" = c"},
      {"trailing comment stays", {"[Version]", "Class=Printer ; note"},
       "Version", "Class", "Printer ; note"},
      {"header with a comment is no header",
       {"[Version] ; note", "Class=Printer"}, "Version", "Class", std::nullopt},
      {"such a line joins the section before",
       {"[a]", "[Version] ; note", "Class=Printer"}, "a", "Class", "Printer"},
      {"empty section name", {"[]", "k=v"}, "", "k", "v"},
      {"= in a header", {"[a=b]", "k=v"}, "a=b", "k", "v"},
      {"lone brackets are lines", {"[s]", "[", "]", "[Version", "k=v"}, "s", "k", "v"},
      {"lines before the first header", {"k=v", "[s]"}, "s", "k", std::nullopt},
      {"comment lines anywhere", {"[s]", "  ;k=v"}, "s", ";k", std::nullopt},
      {"plain entries have no key", {"[s]", "LP500Install"}, "s", "LP500Install",
       std::nullopt},
      {"no header at all", {"Class=Printer"}, "", "Class", std::nullopt},
      // "A" and "@A" share a chain of the lookup index.
      {"sections of one chain", {"[A]", "k=a", "[@A]", "k=b"}, "a", "k", "a"},
      {"keys of one chain", {"[s]", "A=a", "@A=b"}, "s", "a", "a"},
  };
  for (const ValueCase& c : cases) {
    InfSectionStore store;
    store.LoadLines(InfLines(c.lines));
    EXPECT_EQ(store.ReadValue(c.section, c.key), c.value) << c.name;
  }
}

TEST(InfSectionStore, SectionEntriesKeepBothFormsInOrder) {
  InfSectionStore store;
  store.LoadLines(InfLines({"[Version]", "Class=Modem", "[s]", "LP500Install",
                            "b = 2", "b=2", "[Version]", "DriverVer=1.0",
                            "[empty]"}));
  EntryList entries = Entries(store, "S");
  EXPECT_EQ(entries, (EntryList{"LP500Install", "b=2", "b=2"}));
  EXPECT_EQ(EntryName(entries[0]), "");
  EXPECT_EQ(EntryValue(entries[0]), "");
  EXPECT_EQ(Entries(store, "Version"), (EntryList{"DriverVer=1.0"}));
  EXPECT_TRUE(Entries(store, "empty").empty());
  EXPECT_TRUE(Entries(store, "missing").empty());
}

TEST(InfSectionStore, LoadingReplacesAndMarksIndexesStale) {
  InfSectionStore store;
  store.LoadLines(InfLines({"[Version]", "Class=Modem"}));
  EXPECT_EQ(store.ReadValue("Version", "Class"), "Modem");
  store.LoadLines(InfLines({"[Other]", "[Version]", "Class=Printer"}));
  EXPECT_EQ(store.ReadValue("Version", "Class"), "Printer");
  store.LoadLines(InfLines({}));
  EXPECT_EQ(store.SectionCount(), 0u);
  EXPECT_EQ(store.ReadValue("Version", "Class"), std::nullopt);
}

TEST(InfSectionStore, ManySectionsAndKeysShareChains) {
  std::vector<std::string> lines;
  for (int s = 0; s < 600; ++s) {
    lines.push_back("[S" + std::to_string(s) + "]");
    for (int k = 0; k < 5; ++k)
      lines.push_back(std::string("K").append(std::to_string(k)).append("=").append(
          std::to_string(s * 10 + k)));
  }
  InfSectionStore store;
  store.LoadLines(InfLines(lines));
  for (int s = 0; s < 600; s += 37)
    for (int k = 0; k < 5; ++k)
      EXPECT_EQ(store.ReadValue(std::string("s").append(std::to_string(s)),
                                std::string("k").append(std::to_string(k))),
                std::to_string(s * 10 + k));
}

}  // namespace
