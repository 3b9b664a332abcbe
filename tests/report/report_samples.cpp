// Writes every report scenario in every format into one folder, for the real validators
// (tests/report/check_formats.sh): NAME.txt, NAME.details.txt, NAME.json, NAME.nagios and
// NAME.prom; and a refused run's refused.txt, refused.json and refused.nagios.
#include <cstdio>
#include <fstream>
#include <string>

#include "fakes/report_scenarios.h"
#include "report/report_json.h"
#include "report/report_nagios.h"
#include "report/report_prometheus.h"
#include "report/report_text.h"

namespace {

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrine_report_samples FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const kestrine::testing::FakeCodePage codePage;
    for (const kestrine::testing::ReportScenario& scenario : kestrine::testing::reportScenarios()) {
        const kestrine::Report report = scenario.report();
        const std::string base = folder + "/" + scenario.name;
        if (!writeFile(base + ".txt", kestrine::writeTextReport(report, false, codePage)) ||
            !writeFile(base + ".details.txt", kestrine::writeTextReport(report, true, codePage)) ||
            !writeFile(base + ".json", kestrine::writeJsonReport(report, codePage)) ||
            !writeFile(base + ".nagios", kestrine::writeNagiosReport(report, codePage)) ||
            !writeFile(base + ".prom", kestrine::writePrometheusMetrics(report, codePage))) {
            std::fprintf(stderr, "cannot write %s.*\n", base.c_str());
            return 1;
        }
    }
    // A run refused before it read anything: its problem alone.
    const kestrine::Report refused = kestrine::refusedReport("unknown option '--bogus'", "1.0", "2026-12-07T15:24:30Z");
    if (!writeFile(folder + "/refused.txt", kestrine::writeTextReport(refused, false, codePage)) ||
        !writeFile(folder + "/refused.json", kestrine::writeJsonReport(refused, codePage)) ||
        !writeFile(folder + "/refused.nagios", kestrine::writeNagiosReport(refused, codePage))) {
        std::fprintf(stderr, "cannot write %s/refused.*\n", folder.c_str());
        return 1;
    }
    return 0;
}
