// infsurvey: writes an XML catalogue of the printer manufacturers and
// models found in the INF files of a driver repository.
//
//   infsurvey [repository-folder [comment]]
#include "console/program.h"
#include "infsurvey/catalog_run.h"

int main(int argc, char** argv) {
  console::RunProgram(argc, argv, infsurvey::CatalogRun);
}
