// png2ico: converts every PNG picture of a folder tree into Windows icons.
#include "png2ico/Console.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv, argv + argc);
    try {
        return png2ico::RunConverter(args, std::cout, std::cin);
    } catch (const std::exception& e) {
        // Callers rely on exit code 0; the failure is still said.
        std::cout.flush();
        std::cerr << "png2ico: " << e.what() << '\n';
        return 0;
    }
}
