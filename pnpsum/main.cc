// pnpsum: asks for a manufacturer and a model and prints the device
// identifier formed from them, until both answers are empty.
#include "console/program.h"
#include "pnpsum/prompt_loop.h"

int main(int argc, char** argv) {
  console::RunProgram(argc, argv, pnpsum::PromptLoop);
}
