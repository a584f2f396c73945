// flexarium: reads, checks and previews form files on the simulated desktop.
#include "commands.h"

int main(int argc, char** argv) { return flexarium_cli::Main(argc, argv); }
