#include "xrdtool/junit/writer.h"

#include "xrdtool/common/result_text.h"
#include "xrdtool/junit/report_time.h"
#include "xrdtool/junit/xml_escape.h"

namespace xrdtool {

namespace {

std::string xml(const std::string& text)
{
    std::string out;
    appendXml(out, text, true);
    return out;
}

/// True when nothing but XML white space is left once it is collapsed: the
/// strictest schema wants suite and property names of one character at least.
bool blank(const std::string& text)
{
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            return false;
    }
    return true;
}

} // namespace

bool SuitePart::writeTo(std::FILE* out) const
{
    return std::fwrite(head.data(), 1, head.size(), out) == head.size() && spool->copyTo(out, begin, end) &&
        std::fwrite(middle.data(), 1, middle.size(), out) == middle.size() &&
        (!outputs || outputs->copyTo(out, outputBegin, outputEnd)) &&
        std::fwrite(tail.data(), 1, tail.size(), out) == tail.size();
}

JunitWriter::JunitWriter(const JunitOptions& options, bool splitParts, Sink sink)
    : options_(options), splitParts_(splitParts), sink_(std::move(sink)), timestamp_(options.fileTime),
      testcases_(options_)
{}

void JunitWriter::infoTable(const xrd::Table& table)
{
    for (const xrd::Row& row : table.rows) {
        if (row.cells.size() != 2)
            continue;
        if (isReportTimeLabel(row.cells[0].text)) {
            const std::string iso = isoTimestamp(row.cells[1].text);
            if (!iso.empty())
                timestamp_ = iso;
        }
        properties_.emplace_back(row.cells[0].text, row.cells[1].text);
    }
}

void JunitWriter::entryOpened(const xrd::Entry& entry)
{
    if (entry.depth == 1) {
        inSuite_ = true;
        suiteName_ = options_.suitePrefix + nameOrUnnamed(entry.name);
        if (options_.strict && blank(suiteName_))
            suiteName_ = nameOrUnnamed(std::string());
        classnames_.start(options_.suitePrefix, entry.name);
        parts_.assign(1, Part());
        seen_.clear();
        spool_.clear();
        if (options_.strict)
            outputs_.clear();
    }
    if (!inSuite_)
        return;
    order_.opened(entry);
    if (entry.counted) {
        if (gatheredUsed_ == gathered_.size())
            gathered_.emplace_back();
        Gathered& g = gathered_[gatheredUsed_++];
        g.printed = -1;
        g.tableKnown = false;
        if (entry.depth >= 2) {
            // The count is looked up when the result closes: by then its slot is in the cache.
            nameTestcase(entry);
            g.key = testcaseKey();
            seen_.prefetch(g.key);
        }
        if (entry.state == xrd::EntryState::Failed) {
            if (failuresUsed_ == failures_.size())
                failures_.emplace_back(options_.pathMap, LineForm::Escaped);
            failures_[failuresUsed_++].clear();
        }
    }
    if (entry.depth >= 2)
        classnames_.push(entry.name);
}

void JunitWriter::entryRow(const xrd::Entry& entry, const xrd::Table& table, const xrd::Row& row)
{
    if (!entry.counted || gatheredUsed_ == 0)
        return;
    Gathered& g = gathered_[gatheredUsed_ - 1];
    if (!g.tableKnown) {
        g.tableKnown = true;
        g.tableKind = xrd::tableKind(table);
    }
    if (entry.state == xrd::EntryState::Failed && failuresUsed_ > 0)
        failures_[failuresUsed_ - 1].row(table, row);
    if (g.tableKind == xrd::TableKind::CommentBlock || g.tableKind == xrd::TableKind::TraceTexts) {
        if (g.printed < 0) {
            // Rows come for the innermost open result only: its output is the top one.
            if (printedUsed_ == printed_.size())
                printed_.emplace_back();
            printed_[printedUsed_].clear();
            g.printed = long(printedUsed_++);
        }
        printed_[std::size_t(g.printed)].add(row, g.tableKind == xrd::TableKind::TraceTexts);
    }
}

void JunitWriter::entryContent(const xrd::Entry& entry, const xrd::Table&)
{
    if (!entry.counted || gatheredUsed_ == 0)
        return;
    gathered_[gatheredUsed_ - 1].tableKnown = false;
    if (entry.state == xrd::EntryState::Failed && failuresUsed_ > 0)
        failures_[failuresUsed_ - 1].tableEnd();
}

void JunitWriter::nameTestcase(const xrd::Entry& entry)
{
    name_.clear();
    // A contract result is named by its type alone ("Invariant"): its class
    // tells one from another.
    if (entry.section == xrd::SectionKind::Contracts && entry.depth >= 3 && entry.parent) {
        name_ += nameOrUnnamed(entry.parent->name);
        name_ += ": ";
    }
    name_ += nameOrUnnamed(entry.name);
}

std::uint64_t JunitWriter::testcaseKey()
{
    classnames_.classname();
    // The name is a piece of its own after the classname's, marked apart.
    return ClassnamePath::hashPiece(~classnames_.hash(), name_.data(), name_.size());
}

void JunitWriter::entryClosed(const xrd::Entry& entry)
{
    if (!inSuite_ || entry.depth == 0)
        return;
    if (entry.depth >= 2)
        classnames_.pop();
    const bool isTestcase = entry.counted && entry.depth >= 2;
    Gathered* gathered = entry.counted && gatheredUsed_ > 0 ? &gathered_[--gatheredUsed_] : nullptr;
    static const PathMap noMap;
    static const FailureLines noFailure(noMap, LineForm::Escaped);
    const bool failed = entry.counted && entry.state == xrd::EntryState::Failed && failuresUsed_ > 0;
    const FailureLines& failure = failed ? failures_[--failuresUsed_] : noFailure;
    static const PrintedOutput noOutput;
    const PrintedOutput& printed =
        gathered && gathered->printed >= 0 ? printed_[std::size_t(gathered->printed)] : noOutput;
    if (gathered && gathered->printed >= 0)
        printedUsed_ = std::size_t(gathered->printed);
    if (isTestcase && gathered) {
        // Repeats of a classname and name are numbered in the order results close.
        nameTestcase(entry);
        if (const std::uint32_t repeat = seen_.add(gathered->key); repeat > 1)
            name_ += " (" + std::to_string(repeat) + ")";
        const std::string& classname = classnames_.classname();
        const TestcaseParts parts{name_, classname, failure, printed};
        testcase_.clear();
        testcases_.append(testcase_, entry, parts);
        output_.clear();
        if (options_.strict)
            TestcaseWriter::appendOutputBlock(output_, parts);
    }
    if (order_.closedAlone(entry)) {
        // Most results: written straight from the reused buffers.
        if (isTestcase)
            add(testcase_, output_, entry.status());
    } else {
        // A result inside a result waits, on disk once there are many.
        std::vector<Waiting> mine;
        if (isTestcase) {
            Waiting waiting{waiting_.size(), 0, 0, entry.status()};
            waiting_.write(testcase_);
            waiting.middle = waiting_.size();
            waiting_.write(output_);
            waiting.end = waiting_.size();
            mine.push_back(waiting);
        }
        order_.closedEach(entry, std::move(mine), [this](const Waiting& waiting) {
            if (!waiting_.read(waiting.begin, waiting.end, waitingText_)) {
                ok_ = false;
                return;
            }
            const std::size_t xmlSize = std::size_t(waiting.middle - waiting.begin);
            testcase_.assign(waitingText_, 0, xmlSize);
            output_.assign(waitingText_, xmlSize, std::string::npos);
            add(testcase_, output_, waiting.status);
        });
        if (order_.empty())
            waiting_.clear();
    }
    if (entry.depth == 1) {
        const bool isSuite = entry.section == xrd::SectionKind::Driver ||
            entry.section == xrd::SectionKind::Contracts || parts_.back().counts.total() > 0 ||
            parts_.size() > 1;
        if (isSuite)
            finishSuite();
        inSuite_ = false;
    }
}

void JunitWriter::add(const std::string& xml, const std::string& output, xrd::ResultStatus status)
{
    Part* part = &parts_.back();
    const long size = long(xml.size() + output.size());
    const long used = part->end - part->begin + part->outputEnd - part->outputBegin;
    if (splitParts_ && part->counts.total() > 0 && used + size > options_.partLimit) {
        Part next;
        next.begin = next.end = part->end;
        next.outputBegin = next.outputEnd = part->outputEnd;
        parts_.push_back(next);
        part = &parts_.back();
    }
    spool_.write(xml);
    part->end += long(xml.size());
    if (!output.empty()) {
        outputs_.write(output);
        part->outputEnd += long(output.size());
    }
    part->counts.add(status);
}

std::string JunitWriter::suiteHead(const Part& part) const
{
    std::string head = "  <testsuite name=\"" + xml(suiteName_) + "\" tests=\"" +
        std::to_string(part.counts.total()) + "\" failures=\"" + std::to_string(part.counts.failed) +
        "\" errors=\"0\" skipped=\"" + std::to_string(part.counts.inconclusive) + "\" time=\"0.000\"";
    // Never a made-up time or host: CI servers show them as the run's.
    if (!timestamp_.empty() || options_.strict)
        head +=
            " timestamp=\"" + (timestamp_.empty() ? std::string("1970-01-01T00:00:00") : timestamp_) + "\"";
    if (!options_.hostname.empty() || options_.strict)
        head += " hostname=\"" +
            (options_.hostname.empty() ? std::string("localhost") : xml(options_.hostname)) + "\"";
    head += " id=\"" + std::to_string(suiteId_) + "\"";
    // Jenkins prefixes the suite name with a package that is not empty.
    if (options_.strict)
        head += " package=\"\"";
    head += ">\n";
    std::string properties;
    for (const auto& property : properties_) {
        const std::string& name =
            options_.strict && blank(property.first) ? nameOrUnnamed("") : property.first;
        properties += "      <property name=\"" + xml(name) + "\" value=\"" + xml(property.second) + "\"/>\n";
    }
    if (options_.strict || !properties.empty())
        head += properties.empty() ? "    <properties/>\n"
                                   : "    <properties>\n" + properties + "    </properties>\n";
    return head;
}

void JunitWriter::finishSuite()
{
    std::vector<Part> parts = parts_;
    if (!splitParts_ && parts.size() > 1) {
        Part all;
        all.begin = parts.front().begin;
        all.end = parts.back().end;
        all.outputBegin = parts.front().outputBegin;
        all.outputEnd = parts.back().outputEnd;
        for (const Part& p : parts) {
            all.counts.passed += p.counts.passed;
            all.counts.inconclusive += p.counts.inconclusive;
            all.counts.failed += p.counts.failed;
        }
        parts.assign(1, all);
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const Part& part = parts[i];
        SuitePart out;
        out.suiteName = suiteName_;
        out.part = int(i + 1);
        out.head = suiteHead(part);
        out.spool = &spool_;
        out.begin = part.begin;
        out.end = part.end;
        if (options_.strict) {
            // One system-out per suite: the testcases' outputs, each named.
            const bool any = part.outputEnd > part.outputBegin;
            out.middle = any ? "    <system-out>" : "    <system-out/>\n";
            out.outputs = &outputs_;
            out.outputBegin = part.outputBegin;
            out.outputEnd = part.outputEnd;
            out.tail = std::string(any ? "</system-out>\n" : "") + "    <system-err/>\n  </testsuite>\n";
        } else {
            out.tail = "  </testsuite>\n";
        }
        if (ok_ && !sink_(out))
            ok_ = false;
    }
    ++suiteId_;
}

} // namespace xrdtool
