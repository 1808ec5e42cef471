// formtool_render IN.bin OUT.png: the program behind `formtool render`.
#include <iostream>

#include "tools/formtool/render.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: formtool render IN.bin OUT.png\n";
    return 2;
  }
  return formtool::RenderStream(argv[1], argv[2], std::cerr);
}
