#include "analysis/bootstrap/bootstrap_engine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

#include "analysis/bootstrap/accurate_group_stats.h"
#include "analysis/bootstrap/effect_sizes.h"
#include "analysis/bootstrap/group_stats.h"
#include "analysis/bootstrap/percentile_interval.h"
#include "analysis/bootstrap/trial_statistics.h"
#include "analysis/paired/paired_jackknife.h"

namespace velmora {

namespace {

// ceil(u * n) for 0 <= u < 1 and n <= 2^24. The product is exact in double;
// for a non-negative x, truncating and stepping up when something was cut off
// is the same as -floor(-x), without a library call in the innermost loop.
inline std::int32_t ceilOfScaled(float u, double n) {
    const double x = static_cast<double>(u) * n;
    const auto whole = static_cast<std::int32_t>(x);
    return static_cast<double>(whole) < x ? whole + 1 : whole;
}

inline std::int32_t drawBySingle(RandomStream& random, double n) {
    for (;;) {
        const std::int32_t p = ceilOfScaled(random.nextSingle(), n);
        if (p != 0) return p;  // u was exactly 0: drawn again for the same row
    }
}

// Lemire's multiply-and-reject: the high half of x * n is uniform on 0..n-1
// once the low halves below 2^64 mod n are rejected.
std::int32_t drawByBits(RandomStream& random, std::int32_t nPairs) {
    const auto n = static_cast<std::uint64_t>(nPairs);
    const std::uint64_t reject = (0 - n) % n;  // 2^64 mod n
    for (;;) {
        const std::uint64_t x = random.nextBits64();
        // 64 x 31 bit product split in 32-bit halves (no 128-bit type needed).
        const std::uint64_t low = (x & 0xFFFFFFFFu) * n;
        const std::uint64_t mid = (x >> 32) * n + (low >> 32);
        const std::uint64_t productLow = (mid << 32) | (low & 0xFFFFFFFFu);
        if (productLow < reject) continue;
        return static_cast<std::int32_t>(mid >> 32) + 1;
    }
}

bool isFiniteStats(const GroupStats& s) {
    return std::isfinite(s.sngMean) && std::isfinite(s.sngTrimmedMean) &&
           std::isfinite(s.sngVariance) && std::isfinite(s.sngWinsMean) &&
           std::isfinite(s.sngWinsVariance);
}

bool isFiniteEstimates(const EffectSizes& e) {
    if (!std::isfinite(e.sngPooledVar) || !std::isfinite(e.sngPooledWinsVar)) return false;
    return std::ranges::all_of(e.d, [](float d) { return std::isfinite(d); });
}

// One trial's draws as the stream gives them, in row order: for up to 2^24
// pairs the singles u (a u of exactly 0 fills no row, so the stream is read
// again for that row), beyond that the pair numbers themselves (0-based).
// Turning a single into its pair number is left to the thread that computes
// the trial, so the calling thread does no more than read the stream.
struct TrialDraws {
    float* singles = nullptr;
    std::uint32_t* numbers = nullptr;
};

void drawTrial(RandomStream& random, std::int32_t nPairs, TrialDraws out) {
    const auto n = static_cast<std::size_t>(nPairs);
    if (nPairs > SINGLE_DRAW_LIMIT) {
        for (std::size_t m = 0; m < n; ++m)
            out.numbers[m] = static_cast<std::uint32_t>(drawByBits(random, nPairs) - 1);
        return;
    }
    float* u = out.singles;
    std::size_t m = 0;
    while (m < n) {
        if (random.nextSingles(u + m, n - m) == 0) return;
        std::size_t kept = m;
        for (std::size_t i = m; i < n; ++i)
            if (u[i] != 0.0f) u[kept++] = u[i];
        m = kept;
    }
}

// The 0-based pair numbers of one trial's singles: ceil(u * nPairs) - 1.
// Blocks of a fixed length, so that the compiler turns each into vector code.
void pairNumbers(const float* singles, std::size_t n, std::uint32_t* numbers) {
    constexpr std::size_t kBlock = 16;
    const double scale = static_cast<double>(n);
    std::size_t m = 0;
    for (; m + kBlock <= n; m += kBlock)
        for (std::size_t j = 0; j < kBlock; ++j)
            numbers[m + j] = static_cast<std::uint32_t>(ceilOfScaled(singles[m + j], scale) - 1);
    for (; m < n; ++m)
        numbers[m] = static_cast<std::uint32_t>(ceilOfScaled(singles[m], scale) - 1);
}

// What the run keeps of one trial.
struct TrialOutcome {
    EffectSizes estimates;
    PairedEstimates paired;  // with a paired part
    bool overflow = false;
};

// A run of consecutive trials: drawn together on the calling thread, computed
// together by one thread, committed together in trial order.
struct Batch {
    std::int32_t first = 0;  // trial number of the first trial
    std::int32_t count = 0;
    // count x nPairs draws: singles up to 2^24 pairs, pair numbers beyond.
    std::vector<float> singles;
    std::vector<std::uint32_t> numbers;
    std::vector<TrialOutcome> outcomes;
    bool done = false;  // outcomes are complete (guarded by the pipeline's mutex)

    // The draws of the batch's trial i (0-based).
    TrialDraws draws(std::int32_t i, std::int32_t nPairs) {
        const std::size_t offset = static_cast<std::size_t>(i) * static_cast<std::size_t>(nPairs);
        return {singles.empty() ? nullptr : singles.data() + offset,
                numbers.empty() ? nullptr : numbers.data() + offset};
    }
};

// The trials of one run over a fixed set of batches. The calling thread reads
// the random stream (in trial order), calls the hooks and keeps the value
// lists (in trial order); the statistics are computed by the calling thread
// and the workers, whichever is free. A batch's slot is reused only after its
// trials have been committed, so the slots bound the batches drawn and not yet
// committed.
template <typename Statistics>
class TrialPipeline {
public:
    using Source = typename Statistics::Source;

    // `paired`: the columns of the paired part, or null without one.
    TrialPipeline(const Source& ranked, const PairedColumns* paired, std::int32_t nPairs,
                  std::int32_t lngNonpooledSdVar, int threads, std::int32_t trialsPerBatch)
        : m_ranked(ranked),
          m_paired(paired),
          m_nPairs(nPairs),
          m_sdVar(lngNonpooledSdVar),
          m_own(ranked, paired) {
        // Three per worker (the batch it computes and the two the queue holds
        // for it), the caller's own, and one more, so that the caller can draw
        // again while its finished batch waits for an earlier one to be
        // committed. One thread alone needs one.
        const int slots = threads == 1 ? 1 : 3 * (threads - 1) + 2;
        for (int s = 0; s < slots; ++s) {
            auto batch = std::make_unique<Batch>();
            const std::size_t size =
                static_cast<std::size_t>(trialsPerBatch) * static_cast<std::size_t>(nPairs);
            if (nPairs > SINGLE_DRAW_LIMIT)
                batch->numbers.resize(size);
            else
                batch->singles.resize(size);
            batch->outcomes.resize(static_cast<std::size_t>(trialsPerBatch));
            m_slots.push_back(std::move(batch));
        }
        // A thread the system refuses only leaves more work to the others.
        try {
            for (int w = 1; w < threads; ++w) m_workers.emplace_back([this] { workerLoop(); });
        } catch (const std::system_error&) {
        }
        m_queueLimit = 2 * static_cast<int>(m_workers.size());
    }

    ~TrialPipeline() {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
            m_queue.clear();
        }
        m_workReady.notify_all();
        for (std::thread& worker : m_workers) worker.join();
    }

    TrialPipeline(const TrialPipeline&) = delete;
    TrialPipeline& operator=(const TrialPipeline&) = delete;

    // Runs trials 1..trials in batches of trialsPerBatch. `commit` is called on
    // the calling thread with every trial in order and returns false to stop.
    template <typename Draw, typename Commit>
    void run(std::int32_t trials, std::int32_t trialsPerBatch, Draw draw, Commit commit) {
        const std::int32_t batches = (trials + trialsPerBatch - 1) / trialsPerBatch;
        const auto slots = static_cast<std::int32_t>(m_slots.size());
        std::int32_t nextDraw = 0;
        std::int32_t nextCommit = 0;
        while (nextCommit < batches) {
            // Commit every finished batch that is next in trial order.
            for (;;) {
                Batch& batch = *m_slots[static_cast<std::size_t>(nextCommit % slots)];
                if (nextCommit == nextDraw || !isDone(batch)) break;
                for (std::int32_t i = 0; i < batch.count; ++i)
                    if (!commit(batch.first + i, batch.outcomes[static_cast<std::size_t>(i)]))
                        return;
                ++nextCommit;
                if (nextCommit == batches) return;
            }
            if (nextDraw < batches && nextDraw - nextCommit < slots) {
                Batch& batch = *m_slots[static_cast<std::size_t>(nextDraw % slots)];
                batch.first = 1 + nextDraw * trialsPerBatch;
                batch.count = std::min(trialsPerBatch, trials - batch.first + 1);
                batch.done = false;
                for (std::int32_t i = 0; i < batch.count; ++i)
                    draw(batch.first + i, batch.draws(i, m_nPairs));
                ++nextDraw;
                Batch* own = &batch;
                {
                    std::unique_lock lock(m_mutex);
                    if (static_cast<int>(m_queue.size()) < m_queueLimit) {
                        m_queue.push_back(&batch);
                        lock.unlock();
                        m_workReady.notify_one();
                        continue;
                    }
                    // Every worker has work waiting: the calling thread
                    // computes the earliest waiting batch, which is needed
                    // first, and the new one waits in its place.
                    if (!m_queue.empty()) {
                        own = m_queue.front();
                        m_queue.pop_front();
                        m_queue.push_back(&batch);
                    }
                }
                computeAndFinish(*own, m_own);
                continue;
            }
            // Nothing left to draw or no free slot: help with queued work, or
            // wait for the batch that is next in order.
            Batch* help = nullptr;
            {
                std::unique_lock lock(m_mutex);
                Batch& next = *m_slots[static_cast<std::size_t>(nextCommit % slots)];
                if (!m_queue.empty()) {
                    help = m_queue.front();
                    m_queue.pop_front();
                } else {
                    m_resultReady.wait(lock, [&] { return next.done; });
                }
            }
            if (help) computeAndFinish(*help, m_own);
        }
    }

private:
    bool isDone(const Batch& batch) {
        std::lock_guard lock(m_mutex);
        return batch.done;
    }

    // One computing thread's working storage: O(nPairs).
    struct Workspace {
        Workspace(const Source& ranked, const PairedColumns* paired) : statistics(ranked) {
            if (ranked.size() <= static_cast<std::size_t>(SINGLE_DRAW_LIMIT))
                for (std::vector<std::uint32_t>& lane : numbers) lane.resize(ranked.size());
            if (paired) pairedStatistics.emplace(*paired);
        }
        Statistics statistics;
        std::optional<PairedTrialStatistics> pairedStatistics;
        std::vector<std::uint32_t> numbers[Statistics::kLanes];
    };

    void computeAndFinish(Batch& batch, Workspace& workspace) {
        computeBatch(batch, workspace);
        {
            std::lock_guard lock(m_mutex);
            batch.done = true;
        }
        m_resultReady.notify_all();
    }

    void computeBatch(Batch& batch, Workspace& workspace) const {
        constexpr int kLanes = Statistics::kLanes;
        const auto n = static_cast<std::size_t>(m_nPairs);
        for (std::int32_t i = 0; i < batch.count; i += kLanes) {
            const int lanes = std::min<std::int32_t>(kLanes, batch.count - i);
            const std::uint32_t* drawn[kLanes];
            for (int k = 0; k < kLanes; ++k) {
                const TrialDraws draws = batch.draws(i + std::min(k, lanes - 1), m_nPairs);
                if (draws.numbers) {
                    drawn[k] = draws.numbers;
                } else {
                    pairNumbers(draws.singles, n, workspace.numbers[k].data());
                    drawn[k] = workspace.numbers[k].data();
                }
            }
            GroupStats stats1[kLanes];
            GroupStats stats2[kLanes];
            workspace.statistics.compute(lanes, drawn, stats1, stats2);
            for (int k = 0; k < lanes; ++k) {
                TrialOutcome& out = batch.outcomes[static_cast<std::size_t>(i + k)];
                out.estimates = ComputeEffectSizes(stats1[k], stats2[k], m_sdVar);
                out.overflow = !isFiniteStats(stats1[k]) || !isFiniteStats(stats2[k]) ||
                               !isFiniteEstimates(out.estimates);
                if (workspace.pairedStatistics)
                    out.paired = workspace.pairedStatistics->compute(drawn[k], m_sdVar);
            }
        }
    }

    void workerLoop() {
        // A worker whose storage cannot be had takes no batch and ends, like
        // a thread the system refuses: the others, the calling thread among
        // them, compute its share. (Thrown out of this thread it would end
        // the program.)
        std::optional<Workspace> own;
        try {
            own.emplace(m_ranked, m_paired);
        } catch (const std::bad_alloc&) {
            return;
        }
        Workspace& workspace = *own;
        for (;;) {
            Batch* batch = nullptr;
            {
                std::unique_lock lock(m_mutex);
                m_workReady.wait(lock, [&] { return m_stopping || !m_queue.empty(); });
                if (m_stopping) return;
                batch = m_queue.front();
                m_queue.pop_front();
            }
            computeAndFinish(*batch, workspace);
        }
    }

    const Source& m_ranked;
    const PairedColumns* m_paired;
    const std::int32_t m_nPairs;
    const std::int32_t m_sdVar;
    int m_queueLimit = 0;  // batches waiting for a worker, at most
    Workspace m_own;  // the calling thread's
    std::vector<std::unique_ptr<Batch>> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_workReady;
    std::condition_variable m_resultReady;
    std::deque<Batch*> m_queue;
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};

// One estimator's valid trial values, in trial order.
struct ValueList {
    std::vector<float> values;
    void addIfValid(float estimate) {
        if (isComputable(estimate)) values.push_back(estimate);
    }
    std::int32_t count() const { return static_cast<std::int32_t>(values.size()); }
};

// Below this many drawn pairs a batch would cost more to hand over than to compute.
constexpr std::int64_t kPairsPerBatch = 1 << 16;

}  // namespace

int ResolveBootstrapThreads(int requested) {
    if (requested > 0) return requested;
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware == 0 ? 1 : static_cast<int>(hardware);
}

std::int32_t DrawPairNumber(RandomStream& random, std::int32_t nPairs) {
    if (nPairs <= SINGLE_DRAW_LIMIT) return drawBySingle(random, static_cast<double>(nPairs));
    return drawByBits(random, nPairs);
}

BootstrapResult RunBootstrap(const PairedSample& sample, const AnalysisOptions& options,
                             RandomStream& random, const BootstrapHooks& hooks,
                             Arithmetic arithmetic) {
    BootstrapResult result;
    if (sample.n1 < 2 || sample.n2 < 2 || sample.nPairs < 2) {
        result.outcome = BootstrapOutcome::InsufficientData;
        return result;
    }

    // Pass 0: the observed sample, each variable with all of its own values.
    const std::vector<float> values1 = PresentValues(sample, 1);
    const std::vector<float> values2 = PresentValues(sample, 2);
    if (arithmetic != Arithmetic::Double) {
        result.stats1 = ComputeGroupStats(values1);
        result.stats2 = ComputeGroupStats(values2);
    }
    // Single figures beyond the range stay the fault they always were, unless
    // only the accurate ones count.
    const bool singleFinite = isFiniteStats(result.stats1) && isFiniteStats(result.stats2);
    if (arithmetic == Arithmetic::Double || (arithmetic == Arithmetic::Auto && singleFinite)) {
        // A variable with values as written has its accurate statistics from them.
        const auto accurate = [&](int column, const std::vector<float>& singles) {
            const bool written = !(column == 1 ? sample.dblVar1 : sample.dblVar2).empty();
            return written ? ComputeAccurateGroupStats(PresentWrittenValues(sample, column))
                           : ComputeAccurateGroupStats(singles);
        };
        const GroupStats accurate1 = accurate(1, values1);
        const GroupStats accurate2 = accurate(2, values2);
        if (arithmetic == Arithmetic::Auto) {
            result.singleFailed1 = SinglePrecisionFailed(result.stats1, accurate1);
            result.singleFailed2 = SinglePrecisionFailed(result.stats2, accurate2);
        } else {
            const auto failed = [](std::span<const float> values, const GroupStats& accurate) {
                const GroupStats single = ComputeGroupStats(values);
                return !isFiniteStats(single) || SinglePrecisionFailed(single, accurate);
            };
            result.singleFailed1 = failed(values1, accurate1);
            result.singleFailed2 = failed(values2, accurate2);
        }
        result.accurate =
            arithmetic == Arithmetic::Double || result.singleFailed1 || result.singleFailed2;
        if (result.accurate) {
            result.stats1 = accurate1;
            result.stats2 = accurate2;
        }
    }
    result.observed = ComputeEffectSizes(result.stats1, result.stats2, options.lngNonpooledSdVar);
    if (!isFiniteStats(result.stats1) || !isFiniteStats(result.stats2) ||
        !isFiniteEstimates(result.observed)) {
        result.outcome = BootstrapOutcome::Overflow;
        result.lngFaultPass = 0;
        return result;
    }
    if (!(result.stats1.sngVariance > 0.0f) && !(result.stats2.sngVariance > 0.0f)) {
        result.outcome = BootstrapOutcome::ZeroVariance;
        return result;
    }

    const std::int32_t trials = std::max(options.lngTrials, 0);
    std::array<ValueList, kEstimatorCount> lists;
    for (ValueList& list : lists) list.values.reserve(static_cast<std::size_t>(trials));
    // The paired part ranks its own columns: D, and the values as written.
    std::optional<PairedColumns> pairedColumns;
    PairedTrialLists pairedLists;
    if (hooks.paired) {
        pairedColumns.emplace(CollectWrittenPairs(sample));
        pairedLists.reserve(trials);
    }
    const PairedColumns* paired = pairedColumns ? &*pairedColumns : nullptr;

    if (trials > 0) {
        const auto draw = [&](std::int32_t t, TrialDraws draws) {
            if (hooks.progress) hooks.progress(t);
            drawTrial(random, sample.nPairs, draws);
        };
        const auto commit = [&](std::int32_t t, const TrialOutcome& outcome) {
            if (outcome.overflow) {
                result.outcome = BootstrapOutcome::Overflow;
                result.lngFaultPass = t;
                return false;
            }
            const EffectSizes& es = outcome.estimates;
            if (hooks.trial) hooks.trial(t, es);
            if (paired) {
                if (hooks.pairedTrial) hooks.pairedTrial(t, outcome.paired);
                pairedLists.add(outcome.paired);
            }
            for (std::size_t k = 0; k < kEstimatorCount; ++k) lists[k].addIfValid(es.d[k]);
            return true;
        };
        // Small samples go in batches of several trials so that handing a
        // batch to a thread costs little beside computing it, yet every
        // thread gets a few batches, so that all of them share the work.
        const auto runTrials = [&]<typename Statistics>(const typename Statistics::Source& source) {
            constexpr std::int32_t kLanes = Statistics::kLanes;
            const int allowed = ResolveBootstrapThreads(hooks.threads);
            const std::int64_t bySize = std::max<std::int64_t>(1, kPairsPerBatch / sample.nPairs);
            const std::int64_t byShare = (trials + 8 * std::int64_t{allowed} - 1) / (8 * allowed);
            const auto wanted = static_cast<std::int32_t>(std::min(bySize, byShare));
            const std::int32_t trialsPerBatch = (wanted + kLanes - 1) / kLanes * kLanes;
            const std::int32_t batches = (trials + trialsPerBatch - 1) / trialsPerBatch;
            const int threads = std::min(allowed, batches);
            TrialPipeline<Statistics> pipeline(source, paired, sample.nPairs,
                                               options.lngNonpooledSdVar, threads, trialsPerBatch);
            pipeline.run(trials, trialsPerBatch, draw, commit);
        };
        // Values as written in either column put both columns' accurate sums
        // in double: a single is its own double, so the other column's figures
        // do not change.
        if (result.accurate && sample.hasWrittenValues()) {
            runTrials.operator()<WrittenTrialStatistics>(
                WrittenRankedParts(CollectWrittenPairs(sample)));
        } else {
            const RankedPairs ranked(CollectCompletePairs(sample));
            if (result.accurate)
                runTrials.operator()<AccurateTrialStatistics>(RankedParts(ranked));
            else
                runTrials.operator()<TrialStatistics>(ranked);
        }
        if (result.outcome == BootstrapOutcome::Overflow) return result;
    }

    BootstrapSummary& summary = result.summary;
    summary.lngTrials = options.lngTrials;
    const float level = options.sngConfidenceLevel;
    for (Estimator e : kEstimators) {
        ValueList& list = lists[estimatorIndex(e)];
        summary.validOf(e) = list.count();
        summary.ciOf(e) = ReadPercentileInterval(list.values, level, rulesOf(e).reduction);
    }
    if (paired) {
        BootstrapResult::Paired& out = result.paired.emplace();
        out.observed = ComputePairedObserved(*paired, options.lngNonpooledSdVar);
        out.accelerations = PairedAccelerations(*paired, options.lngNonpooledSdVar);
        out.summary = SummarizePairedTrials(pairedLists, out.observed, out.accelerations,
                                            options.lngTrials, level);
    }
    result.outcome = BootstrapOutcome::Completed;
    return result;
}

}  // namespace velmora
