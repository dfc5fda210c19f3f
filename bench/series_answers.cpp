#include "series_answers.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <tuple>
#include <unordered_map>

namespace series {

namespace {

/// A result as xrdtool diff matches it across runs.
struct Identity {
    std::vector<std::string> path;
    std::string type;
    uint32_t repeat = 0; ///< 1 for the first with these names and type
};

std::vector<Identity> identities(const ReportIndex& report)
{
    std::vector<Identity> out;
    out.reserve(report.results.size());
    std::unordered_map<std::string, uint32_t> seen;
    for (const uint32_t r : report.results) {
        Identity id;
        // The global entry (depth 0) is no part of a path.
        for (uint32_t e = r; e != NoParent && report.entries[e].depth > 0; e = report.entries[e].parent)
            id.path.push_back(decodeAttribute(report.text(report.entries[e].name)));
        std::reverse(id.path.begin(), id.path.end());
        id.type = decodeAttribute(report.text(report.entries[r].type));
        std::string key;
        for (const std::string& name : id.path)
            key.append(name).push_back('\0');
        key.append("\1").append(id.type);
        id.repeat = ++seen[key];
        out.push_back(std::move(id));
    }
    return out;
}

const char* word(Status status)
{
    switch (status) {
    case Status::Passed: return "passed";
    case Status::Inconclusive: return "inconclusive";
    case Status::Failed: break;
    }
    return "failed";
}

void appendString(std::string& out, const std::string& text)
{
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

void appendIdentity(std::string& out, const Identity& id)
{
    out += "\"path\": [";
    for (std::size_t i = 0; i < id.path.size(); ++i) {
        if (i > 0)
            out += ", ";
        appendString(out, id.path[i]);
    }
    out += "], \"type\": ";
    appendString(out, id.type);
    out += ", \"repeat\": " + std::to_string(id.repeat);
}

std::string timeline(const Plan& plan, uint32_t result)
{
    std::string letters;
    for (uint32_t night = 1; night <= plan.nights; ++night)
        letters += "PIF"[int(plan.at(night, result))];
    return letters;
}

/// A result's record in the flaky window.
struct Window {
    uint32_t result = 0;
    uint32_t flips = 0;
    uint32_t passed = 0;
    uint32_t failed = 0;
    bool sameRevision = false;
};

Window window(const Plan& plan, uint32_t result, uint32_t first, uint32_t newest,
              const std::vector<uint32_t>& revisions)
{
    Window w;
    w.result = result;
    Status previous = Status::Inconclusive;
    std::map<uint32_t, int> seenIn; // revision: 1 passed, 2 failed
    for (uint32_t night = first; night <= newest; ++night) {
        const Status status = plan.at(night, result);
        if (status == Status::Inconclusive)
            continue;
        (status == Status::Passed ? w.passed : w.failed) += 1;
        if (previous != Status::Inconclusive && status != previous)
            ++w.flips;
        previous = status;
        if (!revisions.empty()) {
            int& seen = seenIn[revisions[night - 1]];
            seen |= status == Status::Passed ? 1 : 2;
            w.sameRevision = w.sameRevision || seen == 3;
        }
    }
    return w;
}

void runs(std::string& out, const Plan& plan, const std::vector<NightInfo>& nights)
{
    out += "  \"runs\": [\n";
    for (uint32_t night = 1; night <= plan.nights; ++night) {
        uint64_t counts[3] = {0, 0, 0};
        uint64_t newlyFailed = 0, fixed = 0, changed = 0;
        for (uint32_t r = 0; r < plan.results; ++r) {
            const Status now = plan.at(night, r);
            ++counts[int(now)];
            if (night == 1)
                continue;
            const Status before = plan.at(night - 1, r);
            newlyFailed += now == Status::Failed && before != Status::Failed;
            fixed += before == Status::Failed && now == Status::Passed;
            changed += before != now;
        }
        const NightInfo& info = nights[night - 1];
        out += "    {\"night\": " + std::to_string(night) + ", \"file\": ";
        appendString(out, info.file);
        out += ", \"at\": ";
        if (info.at.empty())
            out += "null";
        else
            appendString(out, info.at);
        out += ", \"revision\": ";
        if (info.revision.empty())
            out += "null";
        else
            appendString(out, info.revision);
        out += ", \"passed\": " + std::to_string(counts[0]) +
            ", \"inconclusive\": " + std::to_string(counts[1]) +
            ", \"failed\": " + std::to_string(counts[2]) + ", \"total\": " + std::to_string(plan.results) +
            ", \"newly_failed\": " + std::to_string(newlyFailed) + ", \"fixed\": " + std::to_string(fixed) +
            ", \"changed\": " + std::to_string(changed) + "}";
        out += night < plan.nights ? ",\n" : "\n";
    }
    out += "  ],\n";
}

void flaky(std::string& out, const Plan& plan, const std::vector<Identity>& ids,
           const std::vector<NightInfo>& nights, const AnswerOptions& options)
{
    const uint32_t newest = options.newest;
    const uint32_t first = newest > options.window ? newest - options.window + 1 : 1;
    std::vector<uint32_t> revisions;
    {
        std::map<std::string, uint32_t> numbers;
        for (const NightInfo& night : nights) {
            if (!night.revision.empty())
                revisions.push_back(numbers.emplace(night.revision, uint32_t(numbers.size())).first->second);
        }
        if (revisions.size() != nights.size())
            revisions.clear(); // unknown revisions make nothing flaky
    }
    std::vector<Window> list;
    for (uint32_t r = 0; r < plan.results; ++r) {
        const Window w = window(plan, r, first, newest, revisions);
        if (w.flips >= options.minFlips || w.sameRevision)
            list.push_back(w);
    }
    std::sort(list.begin(), list.end(), [&ids](const Window& a, const Window& b) {
        const Identity& x = ids[a.result];
        const Identity& y = ids[b.result];
        return std::tie(b.flips, x.path, x.type, x.repeat) < std::tie(a.flips, y.path, y.type, y.repeat);
    });
    out += "  \"window\": " + std::to_string(newest - first + 1) + ",\n  \"flaky\": [\n";
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Window& w = list[i];
        out += "    {";
        appendIdentity(out, ids[w.result]);
        out += ", \"flips\": " + std::to_string(w.flips) + ", \"passed\": " + std::to_string(w.passed) +
            ", \"failed\": " + std::to_string(w.failed) + ", \"last\": \"" + word(plan.at(newest, w.result)) +
            "\", \"same_revision\": " + (w.sameRevision ? "true" : "false") + "}";
        out += i + 1 < list.size() ? ",\n" : "\n";
    }
    out += "  ],\n";
}

void streaks(std::string& out, const Plan& plan, const std::vector<Identity>& ids, uint32_t newest)
{
    out += "  \"streaks\": [\n";
    bool first = true;
    for (uint32_t r = 0; r < plan.results; ++r) {
        if (plan.at(newest, r) != Status::Failed)
            continue;
        uint32_t streak = 0, since = newest;
        for (uint32_t night = newest; night >= 1; --night) {
            const Status status = plan.at(night, r);
            if (status == Status::Passed)
                break;
            if (status == Status::Failed) {
                ++streak;
                since = night;
            }
        }
        out += first ? "    {" : ",\n    {";
        first = false;
        appendIdentity(out, ids[r]);
        out += ", \"streak\": " + std::to_string(streak) + ", \"since\": " + std::to_string(since) + "}";
    }
    out += first ? "  ],\n" : "\n  ],\n";
}

void designated(std::string& out, const Plan& plan, const std::vector<Identity>& ids, bool timelines)
{
    out += "  \"designated\": [\n";
    bool first = true;
    for (uint32_t r = 0; r < plan.results; ++r) {
        if (plan.roles[r] == Role::Ordinary)
            continue;
        const bool isFlaky = plan.roles[r] == Role::Flaky;
        out += first ? "    {" : ",\n    {";
        first = false;
        out += isFlaky ? "\"role\": \"flaky\", \"period\": " : "\"role\": \"failing\", \"nights\": ";
        out += std::to_string(plan.detail[r]) + ", ";
        appendIdentity(out, ids[r]);
        out += ", \"timeline\": \"" + timeline(plan, r) + "\"}";
    }
    out += first ? "  ]" : "\n  ]";
    if (!timelines) {
        out += "\n";
        return;
    }
    out += ",\n  \"timelines\": [\n";
    for (uint32_t r = 0; r < plan.results; ++r) {
        out += "    {";
        appendIdentity(out, ids[r]);
        out += ", \"timeline\": \"" + timeline(plan, r) + "\"}";
        out += r + 1 < plan.results ? ",\n" : "\n";
    }
    out += "  ]\n";
}

} // namespace

bool writeAnswers(const std::string& path, const ReportIndex& report, const Plan& plan,
                  const std::vector<NightInfo>& nights, const AnswerOptions& options, std::string& error)
{
    const std::vector<Identity> ids = identities(report);
    std::string out = "{\n  \"report\": ";
    appendString(out, options.report);
    char share[32];
    std::snprintf(share, sizeof share, "%g", options.share);
    out += ",\n  \"seed\": " + std::to_string(options.seed) + ",\n  \"share\": " + share +
        ",\n  \"nights\": " + std::to_string(plan.nights) +
        ",\n  \"results\": " + std::to_string(plan.results) +
        ",\n  \"newest\": " + std::to_string(options.newest) +
        ",\n  \"min_flips\": " + std::to_string(options.minFlips) + ",\n";
    runs(out, plan, nights);
    flaky(out, plan, ids, nights, options);
    streaks(out, plan, ids, options.newest);
    designated(out, plan, ids, options.timelines);
    out += "}\n";

    FILE* file = std::fopen(path.c_str(), "wb");
    bool ok = file && std::fwrite(out.data(), 1, out.size(), file) == out.size();
    if (file && std::fclose(file) != 0)
        ok = false;
    if (!ok)
        error = std::strerror(errno);
    return ok;
}

} // namespace series
