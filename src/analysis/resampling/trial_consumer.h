#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "analysis/resampling/paired_sample.h"

namespace velmora {

// A family of figures computed from the trials of a bootstrap run it does not
// drive: the run hands it every trial's drawn pairs on the thread that
// computes that trial, right after its own figures, and then every trial in
// trial order on the thread that called the run. What a trial leaves waits
// in a record slot between the two; a slot is reused only after its trial
// was committed.
class TrialConsumer {
public:
    // One computing thread's working storage.
    class Workspace {
    public:
        virtual ~Workspace() = default;
        // One trial: `drawn` holds its nPairs drawn pair numbers (0-based, in
        // draw order); what it leaves goes to slot `record`.
        virtual void compute(const std::uint32_t* drawn, std::size_t record) = 0;
    };

    virtual ~TrialConsumer() = default;

    // Once per run, before anything else, with the sample the trials draw
    // from (at least 2 complete pairs).
    virtual void begin(const PairedSample& sample) = 0;
    // Before the first trial: slots 0..records - 1 may be used.
    virtual void reserveRecords(std::size_t records) = 0;
    // A workspace for one more computing thread; may throw std::bad_alloc.
    // Called from several threads at once, so it changes nothing that the
    // others read.
    virtual std::unique_ptr<Workspace> makeWorkspace() = 0;
    // Trial t (1..T, in order, up to the last one before a fault), whose
    // record is in slot `record`.
    virtual void commit(std::int32_t t, std::size_t record) = 0;
    // The run completed: every trial was committed.
    virtual void finish() = 0;
};

}  // namespace velmora
