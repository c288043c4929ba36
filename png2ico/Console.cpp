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
    PrintLine(out, "Input  Directory:\t" + options.inputFolder);
    PrintLine(out, "Output Directory:\t" + options.outputFolder);
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

} // namespace png2ico
