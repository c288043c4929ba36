#include "png2ico/Options.h"

#include "libs/imaging/Imaging.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <strings.h>

namespace png2ico {

namespace {

bool EqualsNoCase(const std::string& a, const char* b) {
    return strcasecmp(a.c_str(), b) == 0;
}

// A worker count: decimal digits only, at least 1.
bool ReadWorkerCount(const std::string& text, unsigned* workers) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const size_t first = text.find_first_not_of('0');
    if (first == std::string::npos)
        return false;  // zero
    // Past nine digits the count is far above the limit anyway.
    const std::string digits = text.substr(first);
    *workers = digits.size() > 9 ? kMaxWorkers
                                 : std::min(static_cast<unsigned>(std::stoul(digits)), kMaxWorkers);
    return true;
}

} // namespace

bool ReadLeadingInt(const std::string& text, int* value) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i])))
        return false;
    long long v = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    v = negative ? -v : v;
    if (v > INT_MAX || v < INT_MIN)
        return false;
    *value = static_cast<int>(v);
    return true;
}

Options ParseArguments(const std::vector<std::string>& args) {
    Options options;
    const size_t count = args.size();
    for (size_t i = 0; i < count; ++i) {
        const std::string& arg = args[i];
        // -noconfirm does not end the tests for its argument; none of them can match it.
        if (EqualsNoCase(arg, "-noconfirm"))
            options.noConfirm = true;
        if (EqualsNoCase(arg, "-silent")) {
            options.silent = true;
            continue;
        }
        if (i + 1 >= count)
            continue;  // -s, -o, -i and -? need a following argument
        if (EqualsNoCase(arg, "-s") && i + 2 < count) {
            int size = 0;
            int depth = 0;
            if (!ReadLeadingInt(args[i + 1], &size))
                size = 0;
            if (!ReadLeadingInt(args[i + 2], &depth))
                depth = 32;
            if (size > 0 && size <= kMaxSizeSpecEdge && imaging::IsIconDepth(depth))
                options.sizeSpecs.push_back({size, depth});
            i += 2;
        } else if (EqualsNoCase(arg, "-o")) {
            options.outputFolder = args[++i];
        } else if (EqualsNoCase(arg, "-i")) {
            options.inputFolder = args[++i];
        } else if (arg == "-?") {
            options.help = true;
        } else if (EqualsNoCase(arg, "-j") && ReadWorkerCount(args[i + 1], &options.workers)) {
            ++i;  // a -j without a valid count is ignored like any unknown argument
        }
    }
    return options;
}

} // namespace png2ico
