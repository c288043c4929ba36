#include "png2ico/Console.h"

#include <iomanip>
#include <istream>
#include <ostream>
#include <strings.h>

namespace png2ico {

void PrintLine(std::ostream& out, const std::string& text) {
    out << text << '\n';
    out.flush();
}

void PrintFolderNotCreated(std::ostream& out, const std::string& path) {
    PrintLine(out, "\nDirectory '" + VisibleName(path) +
                       "' could not be created. Make sure you have the rights to create directories on this "
                       "volume or check if the parent directory exists!\n");
}

void PrintFolderNotRead(std::ostream& out, const std::string& path) {
    PrintLine(out, "\nDirectory '" + VisibleName(path) + "' could not be read.\n");
}

void PrintBanner(std::ostream& out) {
    PrintLine(out, std::string("png2ico V") + kVersion + " - converts PNG pictures to Windows icons");
    PrintLine(out, "Copyright (C) 2026 The Trevalo Project. png2ico is free software under the GPL, version 3 or later.");
    PrintLine(out, "Icon set copyright (C) 2026 The Trevalo Project.");
    PrintLine(out, "------------------------------------------------\n");
}

void PrintUsage(std::ostream& out) {
    PrintLine(out, "Commandline options:");
    PrintLine(out, "-? for help");
    PrintLine(out, "-i <dir>, specifies the input folder that contain the PNG files to convert");
    PrintLine(out, "-o <dir>, specifies the output folder for the new ICON files");
    PrintLine(out, "-s <size,bpp>, specifies a size of the ICON files. Use multiple -s <size><bpp>bpp for multiple "
                   "sizes and bits per pixels");
    PrintLine(out, "-noconfirm, don't ask the user for confirmation");
    PrintLine(out, "-silent, no progress output");
    PrintLine(out, "\nExample: png2ico.exe -s 16 32bpp -s 32 32bpp -s 48 32bpp -i c:\\pngs\\ -o c:\\icons\\");
    PrintLine(out, "\nThis will convert all PNG files in c:\\pngs\\ to icons with 16x16, 32x32 and 48x48 (all in 32bits "
                   "per pixel) icons and output them to c:\\icons\\");
}

void PrintSettings(std::ostream& out, const Options& options) {
    PrintLine(out, "Input  Directory:\t" + VisibleName(options.inputFolder));
    PrintLine(out, "Output Directory:\t" + VisibleName(options.outputFolder));
    std::string sizes;
    for (size_t i = 0; i < options.sizeSpecs.size(); ++i) {
        const auto& sizeSpec = options.sizeSpecs[i];
        if (i > 0)
            sizes += ", ";
        sizes += std::to_string(sizeSpec.size) + "x" + std::to_string(sizeSpec.size) + " " +
                 std::to_string(sizeSpec.bitsPerPixel) + "bpp";
    }
    PrintLine(out, "Output sizes:\t\t" + sizes);
}

bool IsYes(const std::string& word) {
    for (const char* yes : {"ja", "yes", "y", "true", "ok"})
        if (strcasecmp(word.c_str(), yes) == 0)
            return true;
    return word == "1";
}

bool AskToContinue(std::ostream& out, std::istream& in) {
    out << "Continue [yes/no]? ";
    out.flush();
    // A word is read only up to this length, so an endless stream without
    // blanks cannot take all memory; any longer word is no yes anyway.
    std::string word;
    if (!(in >> std::setw(kMaxAnswerChars) >> word))
        return false;  // end of input
    return IsYes(word);
}

std::string VisibleName(const std::string& name) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            shown += c;
            continue;
        }
        switch (c) {
        case '\n': shown += "\\n"; break;
        case '\r': shown += "\\r"; break;
        case '\t': shown += "\\t"; break;
        default:
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0xF];
        }
    }
    return shown;
}

size_t DisplayWidth(const std::string& utf8) {
    size_t n = 0;
    for (const unsigned char c : utf8)
        n += (c & 0xC0) != 0x80;
    return n;
}

} // namespace png2ico
