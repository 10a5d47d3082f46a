#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "analysis/bootstrap/analysis_records.h"
#include "analysis/bootstrap/effect_sizes.h"
#include "analysis/bootstrap/group_stats.h"
#include "analysis/bootstrap/pair_draws.h"
#include "analysis/resampling/trial_consumer.h"

// The bootstrap's threads: the calling thread reads the random stream and
// keeps the results in trial order, the trials' statistics are computed on
// every thread. Used by the bootstrap engine alone; a template over the
// per-trial statistics (single precision, accurate, values as written).

namespace velmora {

// What the run keeps of one trial.
struct TrialOutcome {
    EffectSizes estimates;
    bool overflow = false;
};

// A run of consecutive trials: drawn together on the calling thread, computed
// together by one thread, committed together in trial order.
struct TrialBatch {
    std::int32_t first = 0;  // trial number of the first trial
    std::int32_t count = 0;
    // The consumer's record slot of the batch's first trial; the others follow.
    std::size_t firstRecord = 0;
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

    // `consumer`: a family also computed from every trial's draws, or null.
    TrialPipeline(const Source& ranked, TrialConsumer* consumer, std::int32_t nPairs,
                  std::int32_t lngNonpooledSdVar, int threads, std::int32_t trialsPerBatch)
        : m_ranked(ranked),
          m_consumer(consumer),
          m_nPairs(nPairs),
          m_sdVar(lngNonpooledSdVar),
          m_own(ranked, consumer) {
        // Three per worker (the batch it computes and the two the queue holds
        // for it), the caller's own, and one more, so that the caller can draw
        // again while its finished batch waits for an earlier one to be
        // committed. One thread alone needs one.
        const int slots = threads == 1 ? 1 : 3 * (threads - 1) + 2;
        for (int s = 0; s < slots; ++s) {
            auto batch = std::make_unique<TrialBatch>();
            const std::size_t size =
                static_cast<std::size_t>(trialsPerBatch) * static_cast<std::size_t>(nPairs);
            if (nPairs > SINGLE_DRAW_LIMIT)
                batch->numbers.resize(size);
            else
                batch->singles.resize(size);
            batch->outcomes.resize(static_cast<std::size_t>(trialsPerBatch));
            batch->firstRecord = static_cast<std::size_t>(s) * batch->outcomes.size();
            m_slots.push_back(std::move(batch));
        }
        if (m_consumer)
            m_consumer->reserveRecords(static_cast<std::size_t>(slots) *
                                       static_cast<std::size_t>(trialsPerBatch));
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
    // the calling thread with every trial in order (its number, outcome and
    // the consumer's record slot) and returns false to stop.
    template <typename Draw, typename Commit>
    void run(std::int32_t trials, std::int32_t trialsPerBatch, Draw draw, Commit commit) {
        const std::int32_t batches = (trials + trialsPerBatch - 1) / trialsPerBatch;
        const auto slots = static_cast<std::int32_t>(m_slots.size());
        std::int32_t nextDraw = 0;
        std::int32_t nextCommit = 0;
        while (nextCommit < batches) {
            // Commit every finished batch that is next in trial order.
            for (;;) {
                TrialBatch& batch = *m_slots[static_cast<std::size_t>(nextCommit % slots)];
                if (nextCommit == nextDraw || !isDone(batch)) break;
                for (std::int32_t i = 0; i < batch.count; ++i) {
                    const auto at = static_cast<std::size_t>(i);
                    if (!commit(batch.first + i, batch.outcomes[at], batch.firstRecord + at))
                        return;
                }
                ++nextCommit;
                if (nextCommit == batches) return;
            }
            if (nextDraw < batches && nextDraw - nextCommit < slots) {
                TrialBatch& batch = *m_slots[static_cast<std::size_t>(nextDraw % slots)];
                batch.first = 1 + nextDraw * trialsPerBatch;
                batch.count = std::min(trialsPerBatch, trials - batch.first + 1);
                batch.done = false;
                for (std::int32_t i = 0; i < batch.count; ++i)
                    draw(batch.first + i, batch.draws(i, m_nPairs));
                ++nextDraw;
                TrialBatch* own = &batch;
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
            TrialBatch* help = nullptr;
            {
                std::unique_lock lock(m_mutex);
                TrialBatch& next = *m_slots[static_cast<std::size_t>(nextCommit % slots)];
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
    bool isDone(const TrialBatch& batch) {
        std::lock_guard lock(m_mutex);
        return batch.done;
    }

    // One computing thread's working storage: O(nPairs).
    struct Workspace {
        Workspace(const Source& ranked, TrialConsumer* consumer) : statistics(ranked) {
            if (ranked.size() <= static_cast<std::size_t>(SINGLE_DRAW_LIMIT))
                for (std::vector<std::uint32_t>& lane : numbers) lane.resize(ranked.size());
            if (consumer) consumed = consumer->makeWorkspace();
        }
        Statistics statistics;
        std::unique_ptr<TrialConsumer::Workspace> consumed;
        std::vector<std::uint32_t> numbers[Statistics::kLanes];
    };

    void computeAndFinish(TrialBatch& batch, Workspace& workspace) {
        computeBatch(batch, workspace);
        {
            std::lock_guard lock(m_mutex);
            batch.done = true;
        }
        m_resultReady.notify_all();
    }

    void computeBatch(TrialBatch& batch, Workspace& workspace) const {
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
                    PairNumbersOf(draws.singles, n, workspace.numbers[k].data());
                    drawn[k] = workspace.numbers[k].data();
                }
            }
            GroupStats stats1[kLanes];
            GroupStats stats2[kLanes];
            workspace.statistics.compute(lanes, drawn, stats1, stats2);
            for (int k = 0; k < lanes; ++k) {
                TrialOutcome& out = batch.outcomes[static_cast<std::size_t>(i + k)];
                out.estimates = workspace.statistics.estimates(k, stats1[k], stats2[k], m_sdVar);
                out.overflow =
                    !AllFinite(stats1[k]) || !AllFinite(stats2[k]) || !AllFinite(out.estimates);
                if (workspace.consumed)
                    workspace.consumed->compute(
                        drawn[k], batch.firstRecord + static_cast<std::size_t>(i + k));
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
            own.emplace(m_ranked, m_consumer);
        } catch (const std::bad_alloc&) {
            return;
        }
        Workspace& workspace = *own;
        for (;;) {
            TrialBatch* batch = nullptr;
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
    TrialConsumer* m_consumer;
    const std::int32_t m_nPairs;
    const std::int32_t m_sdVar;
    int m_queueLimit = 0;  // batches waiting for a worker, at most
    Workspace m_own;       // the calling thread's
    std::vector<std::unique_ptr<TrialBatch>> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_workReady;
    std::condition_variable m_resultReady;
    std::deque<TrialBatch*> m_queue;
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};

}  // namespace velmora
