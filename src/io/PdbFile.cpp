// Reads a PDB coordinate file, plain or gzip-compressed, into a file-shaped record set.
//
// The text is read in blocks of whole lines. A large file is parsed on several threads, one
// block each, while another thread reads (and unpacks) the blocks ahead of them; the parsed
// blocks are joined in file order, which settles what a line's record owes to the lines before
// it. The record set is the same whatever the number of threads.
#include "io/PdbFile.h"

#include "core/HugePages.h"
#include "core/Parallel.h"
#include "core/VornError.h"
#include "io/LineBlocks.h"
#include "io/PdbLines.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace vorn {

namespace {

using pdblines::ParsedBlock;
using pdblines::RecordJoiner;

constexpr char kSource[] = "pdb";
// Records reserved up front at most (address space only: pages are used as they are filled).
constexpr std::size_t kMaxReserve = std::size_t{1} << 26;
// Bytes of text per record assumed for the reservation. Coordinate lines run to about 80 bytes;
// erring low avoids a reallocation that would copy every record of a large file once more.
constexpr long long kBytesPerRecord = 56;
constexpr int kMaxParsers = 8;

// Blocks of lines in flight between the thread that reads them, the threads that parse them and
// the joining in file order, which whichever parsing thread completes the next block in order
// takes on. At most a few blocks per thread are in flight, so memory stays bounded however large
// the file; their buffers are reused.
class BlockPipeline {
public:
    BlockPipeline(LineBlockSource& source, RecordJoiner& joiner, int parsers)
        : m_source(source), m_joiner(joiner), m_parsers(parsers),
          m_maxInFlight(2 * static_cast<long long>(parsers) + 2) {}

    // Returns once every block is joined; false when no reading thread could be started (nothing
    // has been read then).
    bool Run();

private:
    struct Job {
        long long index = 0;
        TextBlock text;
    };

    void Produce();
    void ProduceBlocks();
    void Parse();
    void JoinReady(std::unique_lock<std::mutex>& lock);
    void Fail(std::exception_ptr error);

    LineBlockSource& m_source;
    RecordJoiner& m_joiner;
    const int m_parsers;
    const long long m_maxInFlight;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_toParse;
    std::map<long long, std::unique_ptr<ParsedBlock>> m_parsed; // waiting for the blocks before
    std::vector<TextBlock> m_spareText;
    std::vector<std::unique_ptr<ParsedBlock>> m_spareParsed;
    long long m_produced = 0, m_joined = 0;
    bool m_sourceDone = false, m_joining = false, m_failed = false;
    std::exception_ptr m_error;
};

bool BlockPipeline::Run() {
    std::thread producer;
    try {
        producer = std::thread([this] { Produce(); });
    } catch (const std::system_error&) {
        return false;
    }
    try {
        RunParts(
            m_parsers, [this](int) { Parse(); }, m_parsers);
    } catch (...) { // the reading thread must still be stopped and joined
        Fail(std::current_exception());
    }
    producer.join();
    if (m_error)
        std::rethrow_exception(m_error);
    return true;
}

void BlockPipeline::Fail(std::exception_ptr error) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_error)
        m_error = error;
    m_failed = true;
    m_changed.notify_all();
}

void BlockPipeline::Produce() {
    try {
        ProduceBlocks();
    } catch (...) {
        Fail(std::current_exception());
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sourceDone = true;
    m_changed.notify_all();
}

void BlockPipeline::ProduceBlocks() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock,
                           [this] { return m_failed || m_produced - m_joined < m_maxInFlight; });
            if (m_failed)
                return;
            if (!m_spareText.empty()) {
                job.text = std::move(m_spareText.back());
                m_spareText.pop_back();
            }
        }
        if (!m_source.Next(job.text))
            return;
        std::lock_guard<std::mutex> lock(m_mutex);
        job.index = m_produced++;
        m_toParse.push_back(std::move(job));
        m_changed.notify_all();
    }
}

void BlockPipeline::Parse() {
    try {
        for (;;) {
            Job job;
            std::unique_ptr<ParsedBlock> parsed;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock,
                               [this] { return m_failed || m_sourceDone || !m_toParse.empty(); });
                if (m_failed || m_toParse.empty())
                    return;
                job = std::move(m_toParse.front());
                m_toParse.pop_front();
                if (!m_spareParsed.empty()) {
                    parsed = std::move(m_spareParsed.back());
                    m_spareParsed.pop_back();
                }
            }
            if (!parsed)
                parsed = std::make_unique<ParsedBlock>();
            pdblines::ParseBlock(job.text.bytes.data(), job.text.size, *parsed);
            std::unique_lock<std::mutex> lock(m_mutex);
            m_spareText.push_back(std::move(job.text));
            m_parsed.emplace(job.index, std::move(parsed));
            JoinReady(lock);
        }
    } catch (...) {
        Fail(std::current_exception());
    }
}

// Joins the blocks that are next in file order, unless another thread is joining: that one
// takes each block next in order as it is there.
void BlockPipeline::JoinReady(std::unique_lock<std::mutex>& lock) {
    if (m_joining)
        return;
    m_joining = true;
    while (!m_failed) {
        const auto next = m_parsed.find(m_joined);
        if (next == m_parsed.end())
            break;
        std::unique_ptr<ParsedBlock> block = std::move(next->second);
        m_parsed.erase(next);
        lock.unlock();
        try {
            m_joiner.Take(*block);
        } catch (...) {
            lock.lock();
            m_joining = false;
            throw;
        }
        lock.lock();
        m_spareParsed.push_back(std::move(block));
        ++m_joined;
        m_changed.notify_all();
    }
    m_joining = false;
}

// One block after another on the calling thread.
void ReadInOrder(LineBlockSource& source, RecordJoiner& joiner) {
    TextBlock text;
    ParsedBlock parsed;
    while (source.Next(text)) {
        pdblines::ParseBlock(text.bytes.data(), text.size, parsed);
        joiner.Take(parsed);
    }
}

// Copies length characters upper-cased into a field of the given capacity (terminator
// included); raises message when they do not fit.
void CopyUpper(const char* text, std::size_t length, char* field, std::size_t capacity,
               const char* message) {
    if (length >= capacity)
        VORN_RAISE(kSource, message);
    for (std::size_t i = 0; i < length; ++i) {
        const char c = text[i];
        field[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    field[length] = '\0';
}

// The same for NUL-terminated text (null reads as empty), whose length is counted only as far as
// the field could hold.
void CopyUpper(const char* text, char* field, std::size_t capacity, const char* message) {
    if (!text)
        text = "";
    std::size_t length = 0;
    while (length < capacity && text[length])
        ++length;
    CopyUpper(text, length, field, capacity, message);
}

void MarkWater(PdbRecord& r) {
    static const char kWaters[][4] = {"TIP", "SPC", "HOH", "SOL"};
    r.hetero = 0;
    for (const char* water : kWaters)
        if (r.resName[0] == water[0] && r.resName[1] == water[1] && r.resName[2] == water[2])
            r.hetero = 1;
}

} // namespace

constexpr char kRecordMessage[] = "SetRecord: Error in assigning PDB_RECORD_FIELD!";
constexpr char kNameMessage[] = "SetAtomName: Error in assigning PDB_NAME_FIELD";
constexpr char kResidueMessage[] = "SetResName: Error in assigning PDB_RESIDUE_FIELD";

void PdbRecord::SetRecord(const char* text) {
    CopyUpper(text, record, sizeof record, kRecordMessage);
}

void PdbRecord::SetAtomName(const char* text) {
    CopyUpper(text, atomName, sizeof atomName, kNameMessage);
}

void PdbRecord::SetAtomName(const char* text, std::size_t length) {
    CopyUpper(text, length, atomName, sizeof atomName, kNameMessage);
}

void PdbRecord::SetResName(const char* text) {
    CopyUpper(text, resName, sizeof resName, kResidueMessage);
    MarkWater(*this);
}

void PdbRecord::SetResName(const char* text, std::size_t length) {
    CopyUpper(text, length, resName, sizeof resName, kResidueMessage);
    MarkWater(*this);
}

bool PdbFile::Read(const std::string& fileName) {
    return Read(fileName, LineBlockSource::kDefaultBlockBytes);
}

bool PdbFile::Read(const std::string& fileName, std::size_t blockBytes) {
    *this = PdbFile();
    LineBlockSource source;
    if (!source.Open(fileName, GzUnpackLimit(), blockBytes))
        VORN_RAISE(kSource, "Can't open file!");
    ReserveLarge(
        records,
        std::min(static_cast<std::size_t>(source.EstimatedBytes() / kBytesPerRecord), kMaxReserve));
    RecordJoiner joiner(*this);
    // Past eight, more threads mostly add blocks in flight: the parse is bound by memory by then.
    const int threads = std::min(WorkerThreads(), kMaxParsers);
    const bool severalBlocks =
        source.EstimatedBytes() > static_cast<long long>(std::max<std::size_t>(blockBytes, 1));
    if (threads < 2 || !severalBlocks || !BlockPipeline(source, joiner, threads).Run())
        ReadInOrder(source, joiner);
    if (source.Oversized())
        VORN_RAISE(kSource, "The file unpacks to far more data than a structure needs");
    if (source.Failed())
        VORN_RAISE(kSource, "Error parsing file!");
    joiner.Finish();
    return true;
}

SerialIndex::SerialIndex(const PdbFile& pdb, int count)
    : m_records(pdb.records.data()),
      m_count(count < 0 ? static_cast<int>(pdb.records.size())
                        : std::min(count, static_cast<int>(pdb.records.size()))) {
    int i = 0;
    while (i < m_count && m_records[i].serial == i + 1)
        ++i;
    if (i == m_count)
        return;
    m_first.reserve(static_cast<std::size_t>(m_count));
    for (int k = 0; k < m_count; ++k)
        m_first.emplace(m_records[k].serial, k); // keeps the first of duplicate serials
}

int SerialIndex::IndexOf(int serial) const {
    if (serial >= 1 && serial <= m_count && m_records[serial - 1].serial == serial)
        return serial - 1;
    const auto it = m_first.find(serial);
    return it == m_first.end() ? -1 : it->second;
}

// Distinct unordered pairs (first atom, listed atom); an atom listed as bonded to itself is no
// bond.
void PdbFile::CountBonds() {
    std::vector<std::uint64_t> pairs;
    for (const ConectEntry& entry : conects)
        for (int other : entry.bonded) {
            if (other == entry.owner)
                continue;
            const auto [lo, hi] = std::minmax(entry.owner, other);
            pairs.push_back(std::uint64_t(std::uint32_t(lo)) << 32 | std::uint32_t(hi));
        }
    std::sort(pairs.begin(), pairs.end());
    bondCount = static_cast<int>(std::unique(pairs.begin(), pairs.end()) - pairs.begin());
}

PdbValueRanges PdbFile::ValueRanges() const {
    PdbValueRanges v;
    if (records.empty())
        return v;
    v.tempMax = v.tempMin = std::fabs(records.front().tempFactor);
    v.occMax = v.occMin = std::fabs(records.front().occupancy);
    for (const PdbRecord& r : records) {
        const float t = std::fabs(r.tempFactor), o = std::fabs(r.occupancy);
        v.tempMax = std::max(v.tempMax, t);
        v.tempMin = std::min(v.tempMin, t);
        v.occMax = std::max(v.occMax, o);
        v.occMin = std::min(v.occMin, o);
    }
    return v;
}

} // namespace vorn
