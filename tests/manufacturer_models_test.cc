#include "infsurvey/manufacturer_models.h"

#include <gtest/gtest.h>

#include <optional>

#include "tests/inf_lines.h"

using namespace infsurvey;

namespace {

TEST(ModelsSectionName, Rules) {
  struct Case {
    std::string value;
    std::optional<std::string> name;
  };
  const Case cases[] = {
      {"XX,NTx86,NTamd64", "XX.NTx86"},
      {"XX,NTamd64", "XX.NTamd64"},
      {"XX,", "XX."},
      {"XX", std::nullopt},
      {"", std::nullopt},
      {"XX, NTamd64", "XX.NTamd64"},
      {" XX , NTx86 , NTamd64", "XX.NTx86"},
      {"XX,NTamd64.6.0", "XX.NTamd64.6.0"},
      {",", "."},
  };
  for (const Case& c : cases) {
    std::string name = "left over";
    bool named = ModelsSectionName(c.value, &name);
    EXPECT_EQ(named ? std::optional<std::string>(name) : std::nullopt, c.name) << c.value;
  }
}

TEST(FindManufacturerModels, WhatEachInfGives) {
  struct Case {
    const char* label;
    std::vector<std::string> lines;
    bool printer;
    std::string name;
    EntryList models;
  };
  const bool kNone = false, kPrinter = true;
  const Case cases[] = {
      {"worked example", {"[Version]", "Class=Printer", "[Manufacturer]",
                          "%XX%=XX,NTx86,NTamd64", "[XX.NTx86]",
                          "%XX_LASER_100%=XXL100.GPD,USBPRINT\\XXLASER_100"},
       kPrinter, "%XX%", {"%XX_LASER_100%=XXL100.GPD,USBPRINT\\XXLASER_100"}},
      {"class case ignored", {"[Version]", "Class=PRINTER", "[Manufacturer]", "M=m,NT",
                              "[m.NT]", "P=p.gpd"}, kPrinter, "M", {"P=p.gpd"}},
      {"class with more", {"[Version]", "Class=Printer ;c", "[Manufacturer]", "M=m,NT"},
       kNone, "", {}},
      {"quoted class", {"[Version]", "Class=\"Printer\"", "[Manufacturer]", "M=m,NT"},
       kNone, "", {}},
      {"no class", {"[Version]", "[Manufacturer]", "M=m,NT"}, kNone, "", {}},
      {"no manufacturers", {"[Version]", "Class=Printer", "[Manufacturer]"},
       kNone, "", {}},
      {"no comma", {"[Version]", "Class=Printer", "[Manufacturer]", "M=m"},
       kNone, "", {}},
      {"no models section", {"[Version]", "Class=Printer", "[Manufacturer]", "M=m,NT"},
       kPrinter, "M", {}},
      {"blanks after the comma", {"[Version]", "Class=Printer", "[Manufacturer]",
                                  "M=m, NT", "[m.NT]", "P=p.gpd"},
       kPrinter, "M", {"P=p.gpd"}},
      {"first manufacturer only", {"[Version]", "Class=Printer", "[Manufacturer]",
                                   "M=m,NT", "N=n,NT", "[m.NT]", "P=p.gpd", "[n.NT]",
                                   "Q=q"}, kPrinter, "M", {"P=p.gpd"}},
      {"models in line order, duplicates and plain entries kept",
       {"[Version]", "Class=Printer", "[Manufacturer]", "%M%=m,NT", "[m.NT]",
        "\"P\"=p.gpd", "Install", "P=p.gpd"},
       kPrinter, "%M%", {"\"P\"=p.gpd", "Install", "P=p.gpd"}},
  };
  // One store and one value for every case, as the catalogue run keeps
  // them: nothing of one INF may show in the next.
  InfSectionStore store;
  ManufacturerModels found;
  for (const Case& c : cases) {
    store.LoadLines(InfLines(c.lines));
    EXPECT_EQ(FindManufacturerModels(store, &found), c.printer) << c.label;
    EXPECT_EQ(found.name, c.name) << c.label;
    EXPECT_EQ(found.models, c.models) << c.label;
  }
}

}  // namespace
