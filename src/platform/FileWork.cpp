#include "platform/FileWork.h"

#include <QApplication>
#include <QEventLoop>
#include <QLocale>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "framework/Application.h"
#include "platform/SizeText.h"

namespace {

// Long enough for a small operation never to flash a dialog.
constexpr int kDialogDelayMs = 500;
constexpr int kDialogUpdateMs = 100;
// How often the UI thread looks for a question or the end of the work.
constexpr int kPollMs = 5;

bool OnUiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

// Where the worker and the UI thread meet, through the standard library's
// locks alone (the toolkit's cross-thread calls go through locks the thread
// sanitizer cannot see): the worker leaves a question and waits; the UI
// thread, polling, puts it to the person and hands back the answer; the
// worker says when its work is finished.
class TMeeting {
  public:
    // Worker: has `question` run on the UI thread, and waits until it has.
    void Ask(const std::function<void()>& question) {
        std::unique_lock lock(mutex_);
        question_ = &question;
        answered_.wait(lock, [this] { return question_ == nullptr; });
    }
    void Finish() {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    // UI thread: puts a waiting question through `put` (once, even when its
    // dialog polls again meanwhile); whether the work is finished.
    bool Serve(const std::function<void(const std::function<void()>& question)>& put) {
        const std::function<void()>* question = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (finished_)
                return true;
            if (question_ == nullptr || serving_)
                return false;
            question = question_;
            serving_ = true;
        }
        put(*question);
        {
            std::lock_guard lock(mutex_);
            question_ = nullptr;
            serving_ = false;
        }
        answered_.notify_all();
        return false;
    }

  private:
    std::mutex mutex_;
    std::condition_variable answered_;
    const std::function<void()>* question_ = nullptr;
    bool serving_ = false;
    bool finished_ = false;
};

// Prompts that put each question to other prompts on the UI thread and wait
// for the answer.
class TUiThreadPrompts final : public IShellPrompts {
  public:
    TUiThreadPrompts(IShellPrompts& target, TMeeting& meeting)
        : target_(target), meeting_(meeting), ui_(std::this_thread::get_id()) {}

    bool ConfirmDelete(const std::vector<std::string>& paths, bool permanently) override {
        return Ask([&] { return target_.ConfirmDelete(paths, permanently); }, false);
    }
    TClashAnswer AskClash(const std::string& target, bool canReplace) override {
        return Ask([&] { return target_.AskClash(target, canReplace); }, TClashAnswer::Cancel);
    }
    DWORD ChooseDropEffect(DWORD allowed, DWORD suggested) override {
        return Ask([&] { return target_.ChooseDropEffect(allowed, suggested); }, DWORD{0});
    }
    bool ConfirmOpen(std::size_t count) override {
        return Ask([&] { return target_.ConfirmOpen(count); }, false);
    }
    void StartPrograms(const std::vector<std::vector<std::string>>& commands) override {
        Tell([&] { target_.StartPrograms(commands); });
    }
    bool OpenWithDefault(const std::string& path) override {
        return Ask([&] { return target_.OpenWithDefault(path); }, false);
    }
    bool RunProgram(const std::vector<std::string>& argv) override {
        return Ask([&] { return target_.RunProgram(argv); }, false);
    }
    void ShowProperties(const std::vector<std::string>& paths) override {
        Tell([&] { target_.ShowProperties(paths); });
    }
    void ReportError(const std::string& text) override {
        Tell([&] { target_.ReportError(text); });
    }

  private:
    // Passes on a call that has no answer, on the window's thread.
    template <class Call>
    void Tell(Call call) {
        Ask(
            [&] {
                call();
                return true;
            },
            false);
    }
    template <class Answer, class Question>
    Answer Ask(Question question, Answer careful) {
        if (std::this_thread::get_id() == ui_)
            return question();
        Answer answer = careful;
        meeting_.Ask([&] { answer = question(); });
        return answer;
    }

    IShellPrompts& target_;
    TMeeting& meeting_;
    std::thread::id ui_;
};

QString ProgressLabel(const QString& caption, const TOperationProgress& progress) {
    const QLocale locale;
    return QCoreApplication::translate("FileWork", "%1 \"%2\"\nFiles done: %3 (%4)")
        .arg(caption, QString::fromStdString(progress.Current()),
             locale.toString(static_cast<qulonglong>(progress.Files())),
             QString::fromStdString(SizeText(progress.Bytes())));
}

bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

// Until a modal box (the progress dialog, or a question the work asks) is
// up, the person's input goes nowhere: it would start other work on the
// items being worked on.
class TInputHold final : public QObject {
  public:
    TInputHold() { QCoreApplication::instance()->installEventFilter(this); }
    ~TInputHold() override { QCoreApplication::instance()->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        return IsInput(event->type()) && QApplication::activeModalWidget() == nullptr;
    }
};

// The dialog the person watches and cancels the work with; it shows once
// the work has run for a moment without a question open: shown over a
// question, it would take the input the question waits for.
class TProgressWindow {
  public:
    TProgressWindow(const QString& caption, TOperationProgress& progress)
        : caption_(caption),
          progress_(progress),
          dialog_(ProgressLabel(caption, progress),
                  QCoreApplication::translate("FileWork", "Cancel"), 0, 0,
                  QApplication::activeWindow()) {
        dialog_.setWindowTitle(QString::fromStdString(Application->Title));
        dialog_.setWindowModality(Qt::ApplicationModal);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        // Only the delay below shows the dialog, not the dialog's own timer.
        dialog_.reset();
        QObject::connect(&dialog_, &QProgressDialog::canceled, [this] { progress_.Cancel(); });
        QObject::connect(&ticker_, &QTimer::timeout, [this] { Update(); });
        ticker_.start(kDialogUpdateMs);
        delay_.setSingleShot(true);
        QObject::connect(&delay_, &QTimer::timeout, [this] {
            if (!progress_.Cancelled())
                dialog_.show();
        });
        delay_.start(kDialogDelayMs);
    }

    // Puts a question to the person; the delay starts again once it is
    // answered. A dialog already shown owns the question's box.
    void Ask(const std::function<void()>& question) {
        delay_.stop();
        question();
        if (!dialog_.isVisible())
            delay_.start(kDialogDelayMs);
    }

  private:
    void Update() { dialog_.setLabelText(ProgressLabel(caption_, progress_)); }

    QString caption_;
    TOperationProgress& progress_;
    QProgressDialog dialog_;
    QTimer ticker_;
    QTimer delay_;
};

}  // namespace

void RunFileWork(const std::string& caption, IShellPrompts& prompts, TOperationProgress& progress,
                 const std::function<void(IShellPrompts& asker)>& work) {
    if (!OnUiThread() || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        work(prompts);
        return;
    }
    TMeeting meeting;
    TUiThreadPrompts asker(prompts, meeting);
    std::thread worker([&] {
        work(asker);
        meeting.Finish();
    });
    {
        TInputHold hold;
        TProgressWindow window(QCoreApplication::translate("FileWork", caption.c_str()), progress);
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (meeting.Serve([&](const std::function<void()>& question) { window.Ask(question); }))
                loop.quit();
        });
        poll.start(kPollMs);
        loop.exec();
    }
    worker.join();
}

std::string DoneText(const TOperationProgress& progress) {
    const int files = static_cast<int>(progress.Files());
    if (files == 0)
        return {};
    const QString text =
        progress.Bytes() == 0
            ? QCoreApplication::translate("FileWork", "%Ln file(s) done.", nullptr, files)
            : QCoreApplication::translate("FileWork", "%Ln file(s) done (%1).", nullptr, files)
                  .arg(QString::fromStdString(SizeText(progress.Bytes())));
    return text.toStdString();
}

std::string CancelledText(const TOperationProgress& progress) {
    const std::string done = DoneText(progress);
    return done.empty() ? done
                        : QCoreApplication::translate("FileWork", "Cancelled. %1")
                              .arg(QString::fromStdString(done))
                              .toStdString();
}
