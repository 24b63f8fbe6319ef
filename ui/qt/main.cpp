#include "ui/qt/startup.hpp"

int main(int argc, char** argv) {
  return kovarra::RunProgram(argc, argv);
}
