#include "app/retest_road_win.h"

#include <commdlg.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "app/ocr_road_win.h"
#include "app/status_bar_win.h"
#include "base/file_io_win.h"
#include "base/file_names_win.h"
#include "base/message_box_win.h"
#include "base/sha256_win.h"
#include "history/evidence_verify_win.h"
#include "history/history.h"
#include "history/history_file_win.h"
#include "history/history_list_win.h"
#include "history/history_paths.h"
#include "ocr/ocr_file.h"
#include "retest/step_compare.h"
#include "settings/settings_files_win.h"
#include "settings/settings_store.h"
#include "view/picture_window_win.h"

namespace retest_road {

namespace {

const char kTitle[] = "前回の結果との比較";

// One comparison for the worker: the record, its picture and the baseline
// step's ("" when the step has none).
struct Job {
    unsigned generation = 0;  // of the baseline it was queued for
    uint32_t recordId = 0;
    std::string current, baseline;
    CompareOptions options;
};

struct Done {
    unsigned generation = 0;
    uint32_t recordId = 0;
    std::string current;
    retest::Proposal proposal;
};

bool Exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The reading beside a picture, when it was read and its file is sound.
bool ReadText(const std::string& picture, OcrResult& out) {
    std::string bytes;
    const std::string path = ocrfile::sidecarPath(picture);
    if (!Exists(path) || !win::ReadWholeFile(path.c_str(), bytes, int64_t{16} << 20))
        return false;
    ocrfile::ReadResult read = ocrfile::parse(bytes.data(), bytes.size());
    if (!read.ok || read.unreadable)
        return false;
    out = std::move(read.result);
    return true;
}

retest::Proposal Compare(const Job& job) {
    return CompareFiles(job.current, job.baseline, job.options);
}

UINT PostedMessage() {
    static const UINT message = RegisterWindowMessageA("Zelcap.RetestResult");
    return message;
}

// One low-priority thread, one comparison at a time; results are posted to
// the window. enqueue() only takes a lock around a push.
class Worker {
  public:
    explicit Worker(HWND target) : target_(target), thread_([this] { run(); }) {}
    ~Worker() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
            queue_.clear();
        }
        wake_.notify_one();
        thread_.join();
        // Results posted and not received are freed with the window's queue.
        MSG msg;
        while (PeekMessageA(&msg, target_, PostedMessage(), PostedMessage(), PM_REMOVE))
            delete reinterpret_cast<Done*>(msg.lParam);
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void enqueue(Job job) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(std::move(job));
        }
        wake_.notify_one();
    }

  private:
    void run() {
        // Below the window and the capture road: a capture gets the processor first.
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
        for (;;) {
            Job job;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
                if (stopping_)
                    return;
                job = std::move(queue_.front());
                queue_.pop_front();
            }
            auto done = std::make_unique<Done>();
            done->generation = job.generation;
            done->recordId = job.recordId;
            done->current = job.current;
            done->proposal = Compare(job);
            if (PostMessageA(target_, PostedMessage(), 0, reinterpret_cast<LPARAM>(done.get())))
                done.release();
        }
    }

    HWND target_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

// The baseline as read for the history's current choice.
struct Loaded {
    casefile::Baseline choice;
    std::unique_ptr<History> records;
    std::vector<retest::StepKey> steps;  // of each baseline record
};
Loaded loaded;
CompareOptions options;
std::map<uint32_t, retest::Proposal> proposals;
std::set<uint32_t> comparing;
std::unique_ptr<Worker> worker;
// Counted up whenever the proposals are dropped: a result of a job queued
// before is of another baseline or another case, and is let go.
unsigned generation = 0;

std::vector<retest::StepKey> StepsOf(const History& h) {
    std::vector<retest::StepKey> steps;
    for (int i = 0; i < h.count; ++i) {
        const testcase::TestCase* c = h.records[i].id ? h.cases.find(h.records[i].id) : nullptr;
        steps.push_back(c ? retest::StepKey{c->testId, c->step} : retest::StepKey{});
    }
    return steps;
}

void DropProposals() {
    proposals.clear();
    comparing.clear();
    ++generation;
}

void Forget() {
    loaded = {};
    DropProposals();
}

void Take(const casefile::Baseline& choice, std::unique_ptr<History> records) {
    Forget();
    loaded.choice = choice;
    loaded.steps = StepsOf(*records);
    loaded.records = std::move(records);
    Win32SettingsFiles files;
    options = compare_options::load(files, settingsStore.iniPath);
}

// The baseline record the history's record at `index` repeats, or -1.
int BaselineOf(int index) {
    if (!Active() || index < 0 || index >= history.count)
        return -1;
    const std::vector<retest::StepKey> current = StepsOf(history);
    return retest::pairSteps(loaded.steps, {current[static_cast<std::size_t>(index)]}).baselineOf[0];
}

bool HasStep(int index) {
    const HistoryRecord& r = history.records[index];
    const testcase::TestCase* c = r.id ? history.cases.find(r.id) : nullptr;
    return c && !c->testId.empty();
}

std::string PictureOf(const History& h, int index) {
    char path[kPathSize];
    resolvedImagePath(h.records[index], h.folder, path);
    return path;
}

// The job of the record at `index`; false when it repeats no step, with a
// proposal of 基準なし already set when the baseline lacks its step.
bool JobOf(int index, Job& job) {
    if (index < 0 || index >= history.count || !HasStep(index))
        return false;
    const int base = BaselineOf(index);
    const uint32_t id = history.records[index].id;
    if (base < 0) {
        retest::Proposal none;
        none.comparison = retest::Comparison::noBaseline;
        proposals[id] = none;
        return false;
    }
    job.generation = generation;
    job.recordId = id;
    job.current = PictureOf(history, index);
    job.baseline = PictureOf(*loaded.records, base);
    if (!Exists(job.baseline))
        job.baseline.clear();
    job.options = options;
    return true;
}

void Queue(HWND window, int index) {
    Job job;
    if (!JobOf(index, job) || !comparing.insert(job.recordId).second)
        return;
    if (!worker)
        worker = std::make_unique<Worker>(window);
    worker->enqueue(std::move(job));
}

void QueueUncompared(HWND window) {
    for (int i = 0; i < history.count; ++i)
        if (!history.records[i].id || !proposals.count(history.records[i].id))
            Queue(window, i);
}

int IndexOfId(uint32_t id) {
    for (int i = 0; i < history.count; ++i)
        if (history.records[i].id == id)
            return i;
    return -1;
}

// The baseline of the history's case file read again; false, saying why,
// when it cannot be or its manifest is no longer the one chosen.
bool Reload(HWND window) {
    const casefile::Baseline choice = history.baseline;
    auto records = std::make_unique<History>(history.startFolder);
    std::string error;
    if (!historyfile::ReadForComparison(choice.csvPath.c_str(), *records, error)) {
        ShowMessage(window, ("基準の履歴を読めません。比較しません。\r\n\r\n" + choice.csvPath + "\r\n" + error).c_str(),
                    kTitle, MB_ICONWARNING | MB_OK);
        return false;
    }
    Sha256Digest digest;
    const std::string manifest = EvidenceFileBeside(choice.csvPath.c_str(), ".sha256");
    const std::string now =
        Exists(manifest) ? (win::sha256File(manifest, digest) ? sha256Hex(digest) : "?") : "";
    if (now != choice.manifestDigest) {
        ShowMessage(window,
                    ("基準の履歴の証跡ファイルが、基準にした時と違います。比較しません。\r\n"
                     "もう一度「前回の結果を基準にする」で選んでください。\r\n\r\n" +
                     manifest)
                        .c_str(),
                    kTitle, MB_ICONWARNING | MB_OK);
        return false;
    }
    Take(choice, std::move(records));
    return true;
}

void ReadAgainWithText(HWND window, const std::string& picture) {
    if (!Active())
        return;
    for (int i = 0; i < history.count; ++i)
        if (win::SameFileName(PictureOf(history, i), picture) && history.records[i].id) {
            // Queued again even while a job without the text runs: the
            // worker takes them in order, and this one answers last.
            proposals.erase(history.records[i].id);
            comparing.erase(history.records[i].id);
            Queue(window, i);
        }
}

}  // namespace

retest::Proposal CompareFiles(const std::string& current, const std::string& baseline,
                              const CompareOptions& options) {
    PackedDib before, after;
    if (!baseline.empty())
        picture_window::LoadPictureFile(baseline, before);
    picture_window::LoadPictureFile(current, after);
    OcrResult beforeText, afterText;
    const bool texts = !before.empty() && ReadText(baseline, beforeText) && ReadText(current, afterText);
    return retest::compareStep(
        {&before, &after, texts ? &beforeText : nullptr, texts ? &afterText : nullptr}, options);
}

bool Active() {
    return !history.baseline.empty() && loaded.records && loaded.choice == history.baseline;
}

bool SetBaseline(HWND window, HWND owner, const std::string& csvPath, std::string& message) {
    if (!history.untitled && win::SameFileName(csvPath, history.filePath)) {
        message = "開いている履歴そのものは基準にできません。";
        return false;
    }
    auto records = std::make_unique<History>(history.startFolder);
    std::string error, digest;
    VerifyFindings findings;
    if (!historyfile::ReadForComparison(csvPath.c_str(), *records, error) ||
        !VerifyOtherHistory(owner, *records, findings, digest, error)) {
        message = "基準にできません。\r\n" + csvPath + "\r\n" + error;
        return false;
    }
    if (!digest.empty() && !retest::baselineSound(findings.result)) {
        message = "基準の履歴の証跡が合いません（画像が移されたか変えられています）。基準にできません。\r\n" +
                  csvPath + "\r\n\r\n" + findings.text;
        return false;
    }
    history.baseline = {csvPath, digest};
    history.modified = 1;
    Take(history.baseline, std::move(records));
    ocr_road::SetReadListener(&ReadAgainWithText);
    QueueUncompared(window);
    ShowStatusOfSelection();
    return true;
}

void ChooseCommand(HWND window) {
    char path[kPathSize] = {};
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = window;
    ofn.lpstrFilter = "CSV files(*.csv)\0*.csv\0files(*.*)\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrTitle = "基準にする前回の履歴ファイル";
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&ofn))
        return;
    std::string message;
    if (SetBaseline(window, window, path, message)) {
        ShowMessage(window, ("基準にしました。\r\n" + std::string(path)).c_str(), kTitle,
                    MB_ICONINFORMATION | MB_OK);
        return;
    }
    if (message.find("\r\n\r\n") != std::string::npos)
        ShowEvidenceList(window, path, message);
    else
        ShowMessage(window, message.c_str(), kTitle, MB_ICONWARNING | MB_OK);
}

void ClearCommand(HWND window) {
    if (history.baseline.empty())
        return;
    history.baseline = {};
    history.modified = 1;
    Forget();
    ShowStatusOfSelection();
    (void)window;
}

void HistoryOpened(HWND window) {
    Forget();
    if (history.baseline.empty() || !Reload(window))
        return;
    ocr_road::SetReadListener(&ReadAgainWithText);
    QueueUncompared(window);
}

void CasesEdited(HWND window) {
    if (!Active())
        return;
    DropProposals();
    QueueUncompared(window);
    ShowStatusOfSelection();
}

void RecordAdded(HWND window, int index) {
    if (Active())
        Queue(window, index);
}

retest::Proposal ProposalNow(int index) {
    Job job;
    if (!Active() || index < 0 || index >= history.count || !JobOf(index, job)) {
        const uint32_t id = index >= 0 && index < history.count ? history.records[index].id : 0;
        const auto found = proposals.find(id);
        return Active() && id && found != proposals.end() ? found->second : retest::Proposal{};
    }
    if (!job.baseline.empty()) {
        ocr_road::ReadNow(job.baseline);
        ocr_road::ReadNow(job.current);
    }
    return proposals[job.recordId] = Compare(job);
}

bool OnPosted(HWND window, UINT message, LPARAM lParam) {
    if (message != PostedMessage())
        return false;
    std::unique_ptr<Done> done(reinterpret_cast<Done*>(lParam));
    if (done->generation != generation)
        return true;
    comparing.erase(done->recordId);
    const int index = IndexOfId(done->recordId);
    if (Active() && index >= 0 && win::SameFileName(PictureOf(history, index), done->current))
        proposals[done->recordId] = std::move(done->proposal);
    ShowStatusOfSelection();
    (void)window;
    return true;
}

void ShowStatusOfSelection() {
    char path[kPathSize];
    if (!Active() || !historyList.selectedPicturePath(path) || *ocr_road::PictureStatus(path))
        return;
    const int row = historyList.selectedRow();
    const uint32_t id = row >= 0 && row < history.count ? history.records[row].id : 0;
    const auto found = proposals.find(id);
    if (found != proposals.end())
        statusBar.setPictureStatus(("比較: " + retest::proposalText(found->second)).c_str());
    else if (comparing.count(id))
        statusBar.setPictureStatus("比較中");
}

void AcceptCommand(HWND window) {
    if (!Active())
        return;
    historyList.setVerdictsOfSelection([](uint32_t id, testcase::Verdict& out) {
        const auto found = proposals.find(id);
        if (found == proposals.end())
            return false;
        if (found->second.comparison == retest::Comparison::match)
            out = testcase::Verdict::ok;
        else if (found->second.comparison == retest::Comparison::differs)
            out = testcase::Verdict::ng;
        else
            return false;
        return true;
    });
    (void)window;
}

ExportComparison Comparison() {
    ExportComparison out;
    if (!Active())
        return out;
    out.active = true;
    out.baselineCsv = loaded.choice.csvPath;
    out.baselineManifestDigest = loaded.choice.manifestDigest;
    out.diffOptions = {options.tolerance, options.ignoreTop ? options.bandHeight : 0};
    const History& base = *loaded.records;
    const retest::Pairing pairing = retest::pairSteps(loaded.steps, StepsOf(history));
    for (int i = 0; i < history.count; ++i) {
        RecordComparison r;
        const auto found = proposals.find(history.records[i].id);
        if (history.records[i].id && found != proposals.end())
            r.proposal = found->second;
        const int b = pairing.baselineOf[static_cast<std::size_t>(i)];
        if (b >= 0) {
            r.baselinePicture = PictureOf(base, b);
            if (!Exists(r.baselinePicture))
                r.baselinePicture.clear();
            r.baselineHeading = base.records[b].comment;
        }
        out.records.push_back(std::move(r));
    }
    for (const int b : pairing.notRun) {
        NotRunStep step;
        const testcase::TestCase* c = base.cases.find(base.records[b].id);
        step.baselineCase = c ? *c : testcase::TestCase{};
        step.baselineHeading = base.records[b].comment;
        step.baselinePicture = PictureOf(base, b);
        out.notRun.push_back(std::move(step));
    }
    return out;
}

bool GuideForStep(const std::string& testId, const std::string& step, GuideStep& out) {
    if (!Active() || testId.empty())
        return false;
    const int b = retest::pairSteps(loaded.steps, {{testId, step}}).baselineOf[0];
    if (b < 0)
        return false;
    const History& base = *loaded.records;
    const testcase::TestCase* c = base.cases.find(base.records[b].id);
    out.picture = PictureOf(base, b);
    out.heading = base.records[b].comment;
    out.expected = c ? c->expected : std::string();
    out.title = "基準: " + testId + " 手順 " + step;
    return true;
}

void Stop() {
    worker.reset();
    Forget();
}

}  // namespace retest_road
