// Parlix LE: edits the translation table of a Delphi application's texts.
#include "editor/program.h"

int main(int argc, char** argv) {
    return parlix::RunProgram(argc, argv);
}
