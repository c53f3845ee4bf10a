// The filter matcher against fnmatch (FNM_NOESCAPE): ordinary file names and filters, and
// patterns whose stars make a backtracking matcher try every split of the name.
#include <fnmatch.h>

#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "runner/WildcardMatch.h"

namespace {

const std::vector<std::string>& Names() {
    static const std::vector<std::string> names = [] {
        const char* stems[] = {"report", "IMG_", "data", "backup", "index", "readme", "setup", "photo"};
        const char* extensions[] = {".txt", ".JPG", ".csv", ".tar.gz", ".html", "", ".exe", ".log.1"};
        std::vector<std::string> result;
        for (int i = 0; i < 1000; ++i)
            result.push_back(std::string(stems[i % 8]) + std::to_string(i * 37 % 2024) + extensions[(i / 8) % 8]);
        return result;
    }();
    return names;
}

const std::vector<std::string> kFilters = {"*.txt", "*.jp?", "data*.csv", "IMG_*", "*.tar.gz", "*.log*", "*", "setup??.exe"};

void OrdinaryMatcher(benchmark::State& state) {
    for (auto _ : state) {
        int matches = 0;
        for (const std::string& name : Names())
            for (const std::string& filter : kFilters) matches += WildcardMatch(filter.c_str(), name.c_str(), 0);
        benchmark::DoNotOptimize(matches);
    }
    state.SetItemsProcessed(state.iterations() * Names().size() * kFilters.size());
}

void OrdinaryFnmatch(benchmark::State& state) {
    for (auto _ : state) {
        int matches = 0;
        for (const std::string& name : Names())
            for (const std::string& filter : kFilters)
                matches += fnmatch(filter.c_str(), name.c_str(), FNM_NOESCAPE) == 0;
        benchmark::DoNotOptimize(matches);
    }
    state.SetItemsProcessed(state.iterations() * Names().size() * kFilters.size());
}

const char* const kAdversarial = "*a*a*a*a*a*a*b";

void AdversarialMatcher(benchmark::State& state) {
    const std::string name(static_cast<size_t>(state.range(0)), 'a');
    for (auto _ : state) benchmark::DoNotOptimize(WildcardMatch(kAdversarial, name.c_str(), 0));
}

void AdversarialFnmatch(benchmark::State& state) {
    const std::string name(static_cast<size_t>(state.range(0)), 'a');
    for (auto _ : state) benchmark::DoNotOptimize(fnmatch(kAdversarial, name.c_str(), FNM_NOESCAPE));
}

// A different shape: question marks between the stars.
const char* const kAdversarialQuestion = "*?a*?a*?a*?a*?b";

void AdversarialQuestionMatcher(benchmark::State& state) {
    const std::string name(static_cast<size_t>(state.range(0)), 'a');
    for (auto _ : state) benchmark::DoNotOptimize(WildcardMatch(kAdversarialQuestion, name.c_str(), 0));
}

void AdversarialQuestionFnmatch(benchmark::State& state) {
    const std::string name(static_cast<size_t>(state.range(0)), 'a');
    for (auto _ : state) benchmark::DoNotOptimize(fnmatch(kAdversarialQuestion, name.c_str(), FNM_NOESCAPE));
}

// A star after the last literal: the end of the name decides nothing, so the stars backtrack.
const char* const kAdversarialOpen = "*a*a*a*a*a*a*b*";

void AdversarialOpenMatcher(benchmark::State& state) {
    const std::string name(static_cast<size_t>(state.range(0)), 'a');
    for (auto _ : state) benchmark::DoNotOptimize(WildcardMatch(kAdversarialOpen, name.c_str(), 0));
}

void AdversarialOpenFnmatch(benchmark::State& state) {
    const std::string name(static_cast<size_t>(state.range(0)), 'a');
    for (auto _ : state) benchmark::DoNotOptimize(fnmatch(kAdversarialOpen, name.c_str(), FNM_NOESCAPE));
}

}  // namespace

BENCHMARK(OrdinaryMatcher);
BENCHMARK(OrdinaryFnmatch);
BENCHMARK(AdversarialMatcher)->RangeMultiplier(2)->Range(16, 64)->Arg(4096);
BENCHMARK(AdversarialFnmatch)->RangeMultiplier(2)->Range(16, 64)->Arg(4096);
BENCHMARK(AdversarialQuestionMatcher)->RangeMultiplier(2)->Range(16, 64)->Arg(4096);
BENCHMARK(AdversarialQuestionFnmatch)->RangeMultiplier(2)->Range(16, 64)->Arg(4096);
BENCHMARK(AdversarialOpenMatcher)->RangeMultiplier(2)->Range(16, 64)->Arg(4096);
BENCHMARK(AdversarialOpenFnmatch)->RangeMultiplier(2)->Range(16, 64)->Arg(4096);

BENCHMARK_MAIN();
