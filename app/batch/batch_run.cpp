#include "batch_run.h"

#include <unistd.h>

#include <filesystem>
#include <new>
#include <optional>
#include <variant>

#include "analysis/descriptives/descriptives_analysis.h"
#include "analysis/effect_size/effect_size_analysis.h"
#include "analysis/paired/paired_effects_report.h"
#include "batch_json.h"
#include "batch_outputs.h"
#include "bootstrap_csv.h"
#include "data/delimited_import.h"
#include "output/plot/bootstrap_plot.h"
#include "output/plot/estimation_plot.h"
#include "progress_bar.h"
#include "runtime/atomic_replace.h"
#include "runtime/number_text.h"
#include "runtime/random_stream.h"
#include "runtime/text_file.h"
#include "variable_names.h"

namespace velmora::batch {

namespace {

// A failure reported as one line on standard error.
struct Failure {
    int status;
    std::string message;
};

// Error lines repeat file names and arguments as given. A line break or other
// control character in one would split the line (or steer the terminal), so
// such bytes are shown as escapes.
std::string withControlsEscaped(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\n') {
            shown += "\\n";
        } else if (c == '\r') {
            shown += "\\r";
        } else if (c == '\t') {
            shown += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            shown += "\\x";
            shown += kHex[c >> 4];
            shown += kHex[c & 0xF];
        } else {
            shown += ch;
        }
    }
    return shown;
}

void reportLine(BatchEnvironment& env, const std::string& line) {
    env.writeErr(withControlsEscaped(line) + "\n");
}

std::string usageErrorLine(const std::string& fault) {
    return "velmora-batch: " + fault + " (see velmora-batch --help)";
}

std::optional<Failure> importFailure(const ImportResult& r, const std::string& path) {
    if (r.status == ImportStatus::Completed) return std::nullopt;
    // The window's box says the same; only an empty name is a usage error here.
    return Failure{r.status == ImportStatus::NoFileSelected ? kExitUsageError : kExitDataError,
                   importFailureMessage(r, path)};
}

std::optional<Failure> checkColumn(std::int32_t column, const DataSet& data) {
    if (column > data.g_lngNumVariables)
        return Failure{kExitDataError, columnBeyondMessage(column, data.g_lngNumVariables)};
    return std::nullopt;
}

struct EffectSizeOutput {
    std::string report;
    std::vector<EffectSizes> trials;  // filled only for --bootstrap-out and --plot
    std::vector<PairedEstimates> pairedTrials;  // filled only for --paired --bootstrap-out
    std::string plot;                 // the SVG, only for --plot
    std::string pairedPlot;           // the SVG, only for --paired-plot
    std::uint64_t seed = 0;
    std::optional<AnalysisRun> run;  // the figures, only for --json
};

std::variant<EffectSizeOutput, Failure> runEffectSize(const BatchOptions& o, const DataSet& data,
                                                      BatchEnvironment& env) {
    AnalysisOptions options;
    options.lngVar1 = o.var1.value_or(UNCHOSEN_VARIABLE);
    options.lngVar2 = o.var2.value_or(UNCHOSEN_VARIABLE);
    options.lngTrials = o.trials;
    options.sngConfidenceLevel = o.confidenceLevel;
    options.lngNonpooledSdVar = o.sdFrom;

    std::uint64_t seed = 0;
    if (o.seed) {
        seed = *o.seed;
    } else {
        const SystemWallClock systemClock;
        seed = seedFromClock(env.wallClock ? *env.wallClock : systemClock);
    }
    EffectSizeOutput out;
    out.seed = seed;
    DefaultRandomStream random(seed);

    const bool keepTrials = !o.bootstrapOut.empty() || !o.plotFile.empty();
    if (keepTrials) out.trials.assign(static_cast<std::size_t>(o.trials), EffectSizes{});
    const bool keepPairedTrials =
        o.paired && (!o.bootstrapOut.empty() || !o.pairedPlotFile.empty());
    if (keepPairedTrials) out.pairedTrials.resize(static_cast<std::size_t>(o.trials));

    const SystemMonotonicClock systemMonotonic;
    ProgressBar bar(env.writeErr, env.monotonicClock ? *env.monotonicClock : systemMonotonic,
                    o.trials, env.errIsTerminal);
    EffectSizeHooks hooks;
    hooks.threads = o.threads;
    if (env.errIsTerminal) hooks.progress = [&bar](std::int32_t t) { bar.update(t); };
    if (keepTrials) {
        // The engine reports the trials on this thread, in trial order.
        hooks.trial = [&out](std::int32_t t, const EffectSizes& e) {
            if (t >= 1 && static_cast<std::size_t>(t) <= out.trials.size())
                out.trials[static_cast<std::size_t>(t) - 1] = e;
        };
    }
    hooks.paired = o.paired;
    if (keepPairedTrials) {
        hooks.pairedTrial = [&out](std::int32_t t, const PairedEstimates& e) {
            if (t >= 1 && static_cast<std::size_t>(t) <= out.pairedTrials.size())
                out.pairedTrials[static_cast<std::size_t>(t) - 1] = e;
        };
    }
    AnalysisRun run = RunEffectSizeAnalysis(data, options, random, hooks, o.arithmetic, seed);
    bar.finish();

    switch (run.status) {
        case AnalysisStatus::Completed:
            out.report = std::move(run.report);
            if (run.paired)
                out.report += BuildPairedEffectsReport(
                    options, seed, run.paired->observed, run.paired->summary,
                    data.variableName(options.lngVar1), data.variableName(options.lngVar2));
            if (!o.plotFile.empty()) {
                BootstrapPlotData plot;
                plot.options = options;
                plot.observed = run.observed;
                plot.summary = run.summary;
                plot.validValues = validTrialValues(out.trials);
                // The leaf name: enough to trace a figure, and no private
                // directories printed into a paper.
                plot.dataFileName = std::filesystem::path(o.dataFile).filename().string();
                plot.seed = seed;
                plot.name1 = data.variableName(options.lngVar1);
                plot.name2 = data.variableName(options.lngVar2);
                out.plot = buildBootstrapPlotSvg(plot);
            }
            if (!o.pairedPlotFile.empty() && run.paired) {
                out.pairedPlot = buildEstimationPlotSvg(
                    estimationPlotOf(data, options, *run.paired, out.pairedTrials,
                                     std::filesystem::path(o.dataFile).filename().string(), seed));
            }
            if (!o.jsonFile.empty()) out.run = std::move(run);
            return out;
        case AnalysisStatus::Stopped:
            return Failure{kExitDataError, run.message};
        case AnalysisStatus::Fault:
            return Failure{kExitDataError,
                           run.message.empty()
                               ? "The effect-size analysis ended with an arithmetic fault."
                               : run.message};
    }
    return Failure{kExitDataError, "The effect-size analysis did not complete."};
}

// "-" names standard input, read once into memory as a pipe must be.
ImportResult importData(const std::string& dataFile, char delimiter, DataSet& data) {
    if (dataFile != kStandardInput) return importDelimitedFile(dataFile, delimiter, data);
    const Expected<std::string> bytes = readDescriptorBytes(STDIN_FILENO);
    if (!bytes) return ImportResult{ImportStatus::OpenFailed, 0, 0, bytes.failure().message};
    return importDelimitedText(*bytes, delimiter, data);
}

std::optional<Failure> execute(const BatchOptions& options, BatchEnvironment& env) {
    DataSet data;
    const ImportResult imported = importData(options.dataFile, options.delimiter, data);
    if (auto failure = importFailure(imported, options.dataFile)) return failure;

    // Names are known only now, from the file's header line.
    BatchOptions o = options;
    if (auto fault = resolveVariableNames(o, data))
        return Failure{kExitUsageError, usageErrorLine(*fault)};

    // Every named column must exist before any work starts.
    if (!o.descriptives.empty())
        if (auto failure = checkColumn(highestColumn(o.descriptives), data)) return failure;
    if (o.var1)
        if (auto failure = checkColumn(*o.var1, data)) return failure;
    if (o.var2)
        if (auto failure = checkColumn(*o.var2, data)) return failure;

    std::string text = buildImportSummary(o.dataFile, data);
    std::optional<std::vector<DescriptiveRow>> descriptiveRows;

    if (!o.descriptives.empty()) {
        // The columns as the dialog's ticks, so both front ends run one command.
        std::vector<bool> ticked(static_cast<std::size_t>(highestColumn(o.descriptives)), false);
        for (std::int32_t column : expandColumns(o.descriptives))
            ticked[static_cast<std::size_t>(column) - 1] = true;
        DescriptivesRun run = RunDescriptivesAnalysis(data, ticked, o.arithmetic);
        switch (run.status) {
            case DescriptivesStatus::Completed:
                text += run.report;
                descriptiveRows = std::move(run.rows);
                break;
            case DescriptivesStatus::NoItems:
                return Failure{kExitDataError, run.message};
            case DescriptivesStatus::Fault:
                return Failure{kExitDataError,
                               "The Descriptives of Var " + integerText(run.lngFaultColumn) +
                                   " overflow: a sum leaves the single-precision range."};
        }
    }

    std::vector<EffectSizes> trials;
    std::vector<PairedEstimates> pairedTrials;
    std::string plotSvg;
    std::string pairedPlotSvg;
    std::optional<std::uint64_t> clockSeed;
    std::uint64_t seed = 0;
    std::optional<AnalysisRun> effectSize;
    if (o.wantsEffectSize()) {
        auto result = runEffectSize(o, data, env);
        if (auto* failure = std::get_if<Failure>(&result)) return std::move(*failure);
        auto& output = std::get<EffectSizeOutput>(result);
        text += output.report;
        trials = std::move(output.trials);
        pairedTrials = std::move(output.pairedTrials);
        plotSvg = std::move(output.plot);
        pairedPlotSvg = std::move(output.pairedPlot);
        if (!o.seed) clockSeed = output.seed;
        seed = output.seed;
        effectSize = std::move(output.run);
    }

    // Every output is complete before any existing file changes.
    OutputFileSystem files;
    AtomicReplace outputs(files);
    const auto prepare = [&outputs](const std::string& path,
                                    std::string bytes) -> std::optional<Failure> {
        if (const Status prepared = outputs.prepare(path, std::move(bytes)); !prepared)
            return Failure{kExitDataError,
                           "Cannot write '" + path + "': " + prepared.failure().message};
        return std::nullopt;
    };
    if (!o.bootstrapOut.empty())
        if (auto failure = prepare(o.bootstrapOut, buildBootstrapCsv(trials, pairedTrials)))
            return failure;
    if (!o.plotFile.empty())
        if (auto failure = prepare(o.plotFile, std::move(plotSvg))) return failure;
    if (!o.pairedPlotFile.empty())
        if (auto failure = prepare(o.pairedPlotFile, std::move(pairedPlotSvg))) return failure;
    if (!o.jsonFile.empty()) {
        RunFigures figures;
        figures.options = &o;
        figures.data = &data;
        figures.descriptives = descriptiveRows ? &*descriptiveRows : nullptr;
        figures.effectSize = effectSize ? &*effectSize : nullptr;
        figures.seed = seed;
        if (auto failure = prepare(o.jsonFile, buildRunJson(figures))) return failure;
    }
    if (!o.outputFile.empty()) {
        if (auto failure = prepare(o.outputFile, std::move(text))) return failure;
    } else if (auto error = env.writeOut(text)) {
        return Failure{kExitDataError, "Cannot write to standard output: " + *error};
    }
    if (const Status committed = outputs.commit(); !committed)
        return Failure{kExitDataError, "Cannot write '" + committed.failure().subject +
                                           "': " + committed.failure().message};
    // A run on a clock seed can be repeated only with the seed it used. A
    // refused run does not depend on the seed, so only a finished one shows it.
    if (clockSeed) reportLine(env, "seed: " + std::to_string(*clockSeed));
    return std::nullopt;
}

}  // namespace

std::string columnBeyondMessage(std::int32_t column, std::int32_t numVariables) {
    return "Column " + integerText(column) + " is beyond the data set's variables: it has " +
           (numVariables == 0 ? std::string("none") : integerText(numVariables)) + ".";
}

int runBatch(const BatchOptions& options, BatchEnvironment& env) {
    std::optional<Failure> failure;
    try {
        if (auto clash = outputClash(options, env.standardOutput)) {
            failure = Failure{kExitUsageError, usageErrorLine(*clash)};
        } else {
            failure = execute(options, env);
        }
    } catch (const std::bad_alloc&) {
        // Anything else the run builds (the trials kept for the CSV and the
        // plot, the reports, the files' text) may not fit either.
        failure = Failure{kExitDataError, "There is not enough memory for this run."};
    }
    if (failure) {
        reportLine(env, failure->message);
        return failure->status;
    }
    return kExitSuccess;
}

int runBatch(const std::vector<std::string>& args, BatchEnvironment& env) {
    const ParseOutcome parsed = parseBatchArguments(args);
    switch (parsed.status) {
        case ParseStatus::Help:
            if (auto error = env.writeOut(batchUsageText())) return kExitDataError;
            return kExitSuccess;
        case ParseStatus::Version:
            if (auto error = env.writeOut(batchVersionText())) return kExitDataError;
            return kExitSuccess;
        case ParseStatus::UsageError:
            reportLine(env, usageErrorLine(parsed.error));
            return kExitUsageError;
        case ParseStatus::Run:
            break;
    }
    return runBatch(parsed.options, env);
}

}  // namespace velmora::batch
