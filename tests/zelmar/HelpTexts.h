#pragma once
// What `zelmar -h` prints, byte for byte, in the builds with and without MPI.

namespace help_texts {

inline constexpr const char* paragraphs_common =
    "\nOptions are processed left-to-right and their order is essential (the order shown above is suitable for "
    "most tasks)."
    "\n-c option sets current directory to one containing the config file unless -d option has been specified "
    "earlier.";

inline constexpr const char* paragraphs_mpi =
    "\n-m option enables paralell processing and tries toset current directory to one corresponding to process "
    "rank ('./0', './1' and so on). If corresponding directory does not exist, paralell computations with config "
    "in current directory will be performed. This may leed to unexpected results if current directory contains, "
    "for example, only '0' and '1' subdirectories but you try to start 3 MPI processes (however in most cases "
    "you'll just get an error)."
    "\nWhen -m option is enabled a standard set of MPICH options can be applied.";

inline constexpr const char* usage_mpi =
    "usage: zelmar [-h|--help] [-v|--verbose] [-s|--silent]\n"
    "              [-l|--logfile <filename>] [-d|--directory <foldername>]\n"
    "              [-m|--mpich] [-c|--config <filename>] \n";

inline constexpr const char* usage_single =
    "usage: zelmar [-h|--help] [-v|--verbose] [-s|--silent]\n"
    "              [-l|--logfile <filename>] [-d|--directory <foldername>]\n"
    "              [-c|--config <filename>] \n";

inline std::string with_mpi() { return std::string(usage_mpi) + paragraphs_common + paragraphs_mpi; }
inline std::string without_mpi() { return std::string(usage_single) + paragraphs_common; }

}  // namespace help_texts
