#include "png2ico/Console.h"

#include <cstdint>
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

namespace {

// The code point of the well-formed UTF-8 sequence at `i` (no overlong
// form, no surrogate, nothing past U+10FFFF) and its length; length 0 when
// the byte there starts none.
struct Decoded {
    char32_t codePoint = 0;
    size_t length = 0;
};

Decoded DecodeAt(const std::string& text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return {lead, 1};
    size_t length = 0;
    unsigned char low = 0x80;  // the second byte's range, narrower after some leads
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {};
    }
    if (i + length > text.size() || byte(1) < low || byte(1) > high)
        return {};
    char32_t codePoint = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80)
            return {};
        codePoint = (codePoint << 6) | (byte(k) & 0x3F);
    }
    return {codePoint, length};
}

// Characters a terminal acts on instead of showing: C1 controls (CSI, OSC
// and the like, as ESC sequences are), and the bidirectional embeddings,
// overrides and isolates, which reorder what is shown after them.
bool IsHiddenControl(char32_t c) {
    return (c >= 0x80 && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

void AppendHex(std::string& shown, const char* prefix, uint32_t value, int digits) {
    static constexpr char kHex[] = "0123456789abcdef";
    shown += prefix;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        shown += kHex[(value >> shift) & 0xF];
}

} // namespace

std::string VisibleName(const std::string& name) {
    std::string shown;
    shown.reserve(name.size());
    for (size_t i = 0; i < name.size();) {
        const Decoded d = DecodeAt(name, i);
        const auto byte = static_cast<unsigned char>(name[i]);
        if (d.length == 0) {
            // Not UTF-8: shown as it is, but where a terminal reading 8-bit
            // text would take it for a C1 control.
            if (byte >= 0x80 && byte <= 0x9F)
                AppendHex(shown, "\\x", byte, 2);
            else
                shown += name[i];
            ++i;
            continue;
        }
        if (d.codePoint == '\n')
            shown += "\\n";
        else if (d.codePoint == '\r')
            shown += "\\r";
        else if (d.codePoint == '\t')
            shown += "\\t";
        else if (d.codePoint < 0x20 || d.codePoint == 0x7F)
            AppendHex(shown, "\\x", d.codePoint, 2);
        else if (IsHiddenControl(d.codePoint))
            AppendHex(shown, "\\u", d.codePoint, 4);
        else
            shown.append(name, i, d.length);
        i += d.length;
    }
    return shown;
}

// One per character, by the reading VisibleName makes: a UTF-8 sequence, or
// a byte that starts none.
size_t DisplayWidth(const std::string& utf8) {
    size_t n = 0;
    for (size_t i = 0; i < utf8.size(); ++n) {
        const size_t length = DecodeAt(utf8, i).length;
        i += length == 0 ? 1 : length;
    }
    return n;
}

} // namespace png2ico
