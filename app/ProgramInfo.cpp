#include "app/ProgramInfo.h"

#include "resources/ProjectInfo.h"

#include <cstring>

#ifndef TREVALO_PACKAGE_VERSION
#error "the build names the package version"
#endif

std::optional<std::string> ProgramInfoRequest(int argc, const char* const* argv) {
    if (argc < 2 || argv[1] == nullptr)
        return std::nullopt;
    if (std::strcmp(argv[1], "--version") == 0)
        return std::string(project::kProductName) + " " + project::kVersionText + " (" TREVALO_PACKAGE_VERSION ")\n";
    if (std::strcmp(argv[1], "--help") == 0)
        return std::string(
            "用法：trevalo [--version | --help]\n"
            "打开图标工具窗口：把文件夹中的 .BMP 或 .PNG 图片转换成图标，从 .EXE 文件中提取图标。\n"
            "窗口不读取其他命令行参数；命令行转换请用 png2ico。\n"
            "\n"
            "Usage: trevalo [--version | --help]\n"
            "Opens the icon tool's window: pictures of a folder (.BMP or .PNG) to icons, icons out of\n"
            ".EXE files. The window reads no other arguments; for the command line use png2ico.\n"
            "\n"
            "  --version  版本 / print the version\n"
            "  --help     本说明 / print this text\n");
    return std::nullopt;
}
