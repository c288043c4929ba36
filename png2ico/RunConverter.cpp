#include "png2ico/RunConverter.h"

#include "png2ico/Console.h"
#include "png2ico/ConvertFolder.h"
#include "png2ico/Options.h"

namespace png2ico {

int RunConverter(const std::vector<std::string>& args, std::ostream& out, std::istream& in) {
    const Options options = ParseArguments(args);
    if (!options.silent)
        PrintBanner(out);
    if (options.sizeSpecs.empty() || options.outputFolder.empty() || options.help) {
        PrintUsage(out);
        return 0;
    }
    if (!options.silent) {
        PrintSettings(out, options);
        PrintLine(out, "\nConverting PNGS to ICOs:");
    }
    if (!options.noConfirm && !AskToContinue(out, in))
        return 0;
    ConvertFolder(options.inputFolder, options.outputFolder, options.sizeSpecs, options.silent, out, options.workers);
    if (!options.silent)
        PrintLine(out, "\nDONE! The PNGs are converted to ICOns.");
    return 0;
}

} // namespace png2ico
