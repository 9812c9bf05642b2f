#include "search/report.h"

#include <atomic>

namespace kestrin {

namespace {

SearchReport quietReport;
// Swapped by a front end's thread while the engine thread may be reporting: each report
// object lives as long as the program, so one read a moment too early is harmless.
std::atomic<SearchReport*> installed{&quietReport};

} // namespace

void InstallSearchReport(SearchReport* report) { installed = report ? report : &quietReport; }

SearchReport& CurrentSearchReport() { return *installed.load(); }

} // namespace kestrin
