// Append, SAVE, load, PREVIEW and memory, driven through the program's own
// screens with dialogs answered in code. Every figure is a median over
// repeated runs with its reference measured in the same run, interleaved.
//
//   tarnwell_bench_page append
//   tarnwell_bench_page saveload DIR
//   tarnwell_bench_page checkpage DIR
//   tarnwell_bench_page make-page FILE BYTES
//   tarnwell_bench_page memory-series FILE RUNS
//   tarnwell_bench_page preview-series DIR RUNS
//   tarnwell_bench_page live DIR

#include "bench_util.h"
#include "document/page_check.h"
#include "document/page_file.h"
#include "document/recovery.h"
#include "document/session.h"
#include "document/windows1252.h"
#include "screens/live_page.h"
#include "screens/load_advice_screen.h"
#include "screens/selection_screen.h"
#include "screens/start_screen.h"
#include "ui/interaction.h"
#include "ui/workspace.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QEventLoop>
#include <QImage>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <ctime>
#include <malloc.h>
#include <tuple>
#include <utility>

using namespace tarnwell;
using namespace tarnwell::bench;

namespace {

// Answers every dialog at once: Yes, and the file named beforehand.
class BenchInteraction final : public Interaction
{
public:
    QString openAnswer;
    QString saveAnswer;

    void showMessage(QWidget *, const QString &, Icon) override {}
    bool askYesNo(QWidget *, const QString &) override { return true; }
    SaveChoice askToSave(QWidget *, const QString &) override { return SaveChoice::DontSave; }
    QString chooseFileToOpen(QWidget *, const QString &, const QString &) override
    {
        return openAnswer;
    }
    QString chooseFileToSave(QWidget *, const QString &, const QString &, const QString &) override
    {
        return saveAnswer;
    }
    std::optional<qint32> chooseColour(QWidget *, qint32) override { return std::nullopt; }
};

// A page body of about the given size in Windows-1252 bytes: short HTML lines
// with CR LF, one in a hundred holding a character outside ASCII.
QString makePage(qsizetype bytes)
{
    QString text;
    text.reserve(bytes + 200);
    for (int line = 0; text.size() < bytes; ++line) {
        if (line % 100 == 99)
            text += QStringLiteral("<P>Le caf\u00e9 du coin, ligne %1.</P>").arg(line);
        else
            text += QStringLiteral("<P>Paragraph %1 of the page, a few words to fill it.</P>")
                        .arg(line);
        text += QStringLiteral("\r\n");
    }
    return text;
}

// A fragment of exactly 100 characters, as an element screen appends one.
QString fragment100()
{
    QString text = QStringLiteral("<P>An appended paragraph");
    while (text.size() < 100 - 6)
        text += QLatin1Char('.');
    return text + QStringLiteral("</P>\r\n");
}

// Lets pending events run, paints and layout among them.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

template <class Function>
double timed(Function &&run)
{
    const double start = nowMs();
    run();
    return nowMs() - start;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Keeps a result alive so the work that made it is not optimised away.
volatile qsizetype g_sink = 0;

double copyWithCp(const QString &from, const QString &to)
{
    const double start = nowMs();
    const int code = QProcess::execute(QStringLiteral("cp"), {from, to});
    const double ms = nowMs() - start;
    if (code != 0)
        std::fprintf(stderr, "cp failed\n");
    return ms;
}

struct Program
{
    QTemporaryDir kept;
    Session session;
    BenchInteraction dialogs;
    Workspace workspace{session, dialogs, [] {}};

    // Keeps its page in case of a crash, as the program does, unless told
    // not to: then no edit is followed, as when the whole text is taken at
    // each keep instead.
    explicit Program(bool keep = true)
    {
        if (keep)
            session.keepPageIn(kept.path());
    }

    // The Selection screen, with the page shown beside its code or not.
    SelectionScreen *showSelection(bool live = false)
    {
        SelectionScreen *selection = workspace.screen<SelectionScreen>();
        selection->findChild<QCheckBox *>(QStringLiteral("ShowPage"))->setChecked(live);
        selection->findChild<QComboBox *>(QStringLiteral("LiveWidth"))->setCurrentIndex(0);
        bringToFront(selection);
        settle();
        return selection;
    }
    QPlainTextEdit *field()
    {
        return workspace.screen<SelectionScreen>()->findChild<QPlainTextEdit *>(
            QStringLiteral("Text1"));
    }
    QPushButton *button(QWidget *screen, const char *name)
    {
        return screen->findChild<QPushButton *>(QLatin1String(name));
    }
};

// The append's time on a 10 MB and a 10 KB page, in the order alternated.
std::pair<double, double> appendTimes(Program &small, Program &big)
{
    constexpr int runs = 41;
    small.session.beginPage(makePage(10 * 1024));
    big.session.beginPage(makePage(10 * 1024 * 1024));
    SelectionScreen *smallScreen = small.showSelection();
    SelectionScreen *bigScreen = big.showSelection();
    const QString fragment = fragment100();
    for (int i = 0; i < 3; ++i) {
        smallScreen->appendToPage(fragment);
        bigScreen->appendToPage(fragment);
        settle();
    }
    QList<double> smallMs, bigMs;
    for (int i = 0; i < runs; ++i) {
        const auto appendTo = [&](SelectionScreen *screen) {
            return timed([&] {
                screen->appendToPage(fragment);
                settle();
            });
        };
        // Alternate which goes first, so neither always follows the other.
        if (i % 2) {
            bigMs.append(appendTo(bigScreen));
            smallMs.append(appendTo(smallScreen));
        } else {
            smallMs.append(appendTo(smallScreen));
            bigMs.append(appendTo(bigScreen));
        }
    }
    return {median(bigMs), median(smallMs)};
}

int benchAppend()
{
    Program small, big;
    const auto [bigMs, smallMs] = appendTimes(small, big);
    printRow("Append: 100 B to a 10 MB page, shown", bigMs, "ms", "same append to a 10 KB page",
             smallMs, 2.0);

    // Keeping the 10 MB page: the user-interface thread only takes the text;
    // the rest happens on the keeper's own thread.
    PageKeeper *keeper = big.session.pageKeeper();
    QList<double> takeMs, wholeMs, cpMs, rawMs, bodyMs;
    for (int i = 0; i < 11; ++i) {
        QEventLoop written;
        QObject::connect(keeper, &PageKeeper::written, &written, &QEventLoop::quit);
        const double start = nowMs();
        keeper->keepNow();
        takeMs.append(nowMs() - start);
        written.exec();
        wholeMs.append(nowMs() - start);
        const QDir keptDir(big.kept.path());
        const QStringList kept = keptDir.entryList({QStringLiteral("*.recovery")}, QDir::Files);
        cpMs.append(
            copyWithCp(keptDir.filePath(kept.value(0)), keptDir.filePath(QStringLiteral("copy"))));
        // What the user-interface thread would do at each keep if it took
        // the whole text instead of following the edits.
        rawMs.append(timed([&] { g_sink = big.session.page().document()->toRawText().size(); }));
        bodyMs.append(timed([&] { g_sink = big.session.page().text().size(); }));
    }
    printRow("Keeping a 10 MB page: user-interface thread", median(takeMs), "ms",
             "cp of the kept file", median(cpMs), 0);
    printRow("Keeping a 10 MB page: text taken to file written", median(wholeMs), "ms",
             "cp of the kept file", median(cpMs), 0);
    printRow("Keeping a 10 MB page: whole text taken (toRawText), user-interface thread",
             median(rawMs), "ms", "cp of the kept file", median(cpMs), 0);
    printRow("Keeping a 10 MB page: whole text taken (page text), user-interface thread",
             median(bodyMs), "ms", "cp of the kept file", median(cpMs), 0);
    std::printf("Note: at each keep of the 10 MB page the user-interface thread holds %.1f ms "
                "following the edits in pieces, %.1f ms taking the whole text "
                "(toRawText); an append to it costs %.2fx a 10 KB page's.\n",
                median(takeMs), median(rawMs), smallMs > 0 ? bigMs / smallMs : 0.0);
    return 0;
}

int benchSaveLoad(const QString &dir)
{
    constexpr int runs = 11;
    QDir().mkpath(dir);
    Program program;
    tarnwell::showStartScreens(program.workspace);
    program.session.setSessionFolder(dir);
    program.session.beginPage(makePage(10 * 1024 * 1024));
    SelectionScreen *selection = program.showSelection();
    QPlainTextEdit *field = program.field();
    QPushButton *save = program.button(selection, "Command10");
    QPushButton *loadExisting = program.button(selection, "Command17");
    QPushButton *loadContinue =
        program.button(program.workspace.screen<LoadAdviceScreen>(), "Command1");
    const QString pagePath = QDir(dir).filePath(QStringLiteral("bench-page.html"));
    const QString copyPath = QDir(dir).filePath(QStringLiteral("bench-copy.html"));
    program.dialogs.saveAnswer = pagePath;
    program.dialogs.openAnswer = pagePath;
    save->click();
    const QByteArray savedBytes = readFile(pagePath);
    const QString loadedBody = readPageBytes(savedBytes).body;
    std::printf("Note: the SAVE and load page file is %.2f MB, %lld lines.\n",
                double(savedBytes.size()) / 1048576.0,
                static_cast<long long>(savedBytes.count('\n')));

    QList<double> saveMs, toPlainMs, cpMs, loadMs, setPlainMs, parseMs;
    QList<double> textMs, encodeMs, writeMs, readMs, rawEncodeMs, plainWriteMs, utf8Ms, latinMs;
    for (int i = 0; i < runs; ++i) {
        saveMs.append(timed([&] {
            save->click();
            settle();
        }));
        toPlainMs.append(timed([&] { g_sink = field->toPlainText().size(); }));
        cpMs.append(copyWithCp(pagePath, copyPath));

        loadExisting->click();
        settle();
        loadMs.append(timed([&] {
            loadContinue->click();
            settle();
        }));
        bringToFront(selection);
        settle();

        setPlainMs.append(timed([&] {
            field->setPlainText(loadedBody);
            settle();
        }));
        parseMs.append(timed([&] { g_sink = readPageBytes(savedBytes).body.size(); }));

        // Where SAVE's time goes.
        QString text;
        QByteArray bytes;
        textMs.append(timed([&] { text = program.session.page().text(); }));
        encodeMs.append(
            timed([&] { bytes = savedPageBytes(text, program.session.pageEncoding()); }));
        rawEncodeMs.append(timed([&] { g_sink = toWindows1252(text).size(); }));
        utf8Ms.append(timed([&] {
            QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
            g_sink = QString(decoder.decode(savedBytes)).size();
        }));
        latinMs.append(timed([&] { g_sink = fromWindows1252(savedBytes).size(); }));
        writeMs.append(timed([&] {
            QSaveFile file(pagePath);
            file.open(QIODevice::WriteOnly);
            file.write(bytes);
            file.commit();
        }));
        // The same bytes without QSaveFile's flush to disk, which cp does not do.
        plainWriteMs.append(timed([&] {
            QFile file(copyPath);
            file.open(QIODevice::WriteOnly | QIODevice::Truncate);
            file.write(bytes);
        }));
        readMs.append(timed([&] { g_sink = readFile(pagePath).size(); }));
    }
    const double cp = median(cpMs);
    printRow("SAVE: 10 MB page, button to file written", median(saveMs), "ms",
             "field toPlainText + cp", median(toPlainMs) + cp, 2.0);
    printRow("Load: 10 MB file read and shown in the field", median(loadMs), "ms",
             "cp + field setPlainText", cp + median(setPlainMs), 1.5);
    printRow("Load: readPageBytes on the 10 MB file", median(parseMs), "ms", "cp", cp, 5.0);
    std::printf(
        "Note: parts, medians in ms: cp %.1f; field toPlainText %.1f; field setPlainText and "
        "paint %.1f; SAVE = page text %.1f + encoding %.1f + QSaveFile write %.1f "
        "(a plain QFile write, not flushed to disk: %.1f); "
        "file read %.1f; toWindows1252 alone %.1f; a whole UTF-8 decode %.1f and "
        "fromWindows1252 %.1f (readPageBytes now skips the former for this page).\n",
        cp, median(toPlainMs), median(setPlainMs), median(textMs), median(encodeMs),
        median(writeMs), median(plainWriteMs), median(readMs), median(rawEncodeMs), median(utf8Ms),
        median(latinMs));
    QFile::remove(copyPath);
    return 0;
}

// A 10 MB page naming 2,000 pictures, each a file of the session folder:
// Check page from its button to the list shown, beside readPageBytes of the
// same file.
int benchCheckPage(const QString &dir)
{
    constexpr int runs = 11;
    constexpr int pictures = 2000;
    QDir().mkpath(dir);
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QStringList lines = makePage(10 * 1024 * 1024).split(QStringLiteral("\r\n"));
    for (int i = 0; i < pictures; ++i) {
        const QString name = QStringLiteral("picture%1.jpg").arg(i);
        picture.save(QDir(dir).filePath(name), "JPEG");
        lines[i * (lines.size() / pictures)] = QStringLiteral("<IMG SRC=\"%1\"><P></P>").arg(name);
    }
    const QString pagePath = QDir(dir).filePath(QStringLiteral("index.html"));
    SaveFile(pagePath, lines.join(QStringLiteral("\r\n")), PageEncoding::Windows1252);
    const QByteArray bytes = readFile(pagePath);

    Program program;
    program.session.setSessionFolder(dir);
    program.session.takeLoadedPage(readPageBytes(bytes));
    SelectionScreen *selection = program.showSelection();
    QPushButton *check = program.button(selection, "CheckPage");
    QList<double> checkMs, parseMs, functionMs;
    for (int i = 0; i < runs; ++i) {
        checkMs.append(timed([&] {
            check->click();
            settle();
        }));
        parseMs.append(timed([&] { g_sink = readPageBytes(bytes).body.size(); }));
        functionMs.append(timed([&] {
            g_sink = checkPage(program.session.page().document()->toRawText(), dir).size();
        }));
    }
    printRow("Check page: 10 MB page naming 2,000 pictures, button to list shown", median(checkMs),
             "ms", "readPageBytes on the same file", median(parseMs), 2.0);
    std::printf("Note: Check page on the %.2f MB page: %lld problems found; the check itself "
                "(text taken from the field, page read, folder listed, 2,000 picture headers "
                "read) %.1f ms, median.\n",
                double(bytes.size()) / 1048576.0,
                static_cast<long long>(
                    checkPage(program.session.page().document()->toRawText(), dir).size()),
                median(functionMs));

    // As large a page made of MouseOver scripts of 40,000 "a.src='x.png' "
    // each (560 KB): the kind whose check once took time and memory that grew
    // with the square of a script's length.
    const QString script = QStringLiteral("<A HREF=\"#\" ONMOUSEOVER=\"") +
                           QStringLiteral("a.src='x.png' ").repeated(40000) +
                           QStringLiteral("\"><IMG SRC=\"x.png\" NAME=\"a\"></A>\r\n");
    const QString hostile = script.repeated(qMax<qsizetype>(1, bytes.size() / script.size()));
    QList<double> hostileMs;
    for (int i = 0; i < runs; ++i)
        hostileMs.append(timed([&] { g_sink = checkPage(hostile, dir).size(); }));
    printRow("Check page: 10 MB page of MouseOver scripts, the check itself", median(hostileMs),
             "ms", "the check of the ordinary 10 MB page", median(functionMs), 2.0);
    const QString self = QString::number(QCoreApplication::applicationPid());
    malloc_trim(0); // what the runs before freed leaves the count, so that it shows
    QFile peak(QStringLiteral("/proc/self/clear_refs"));
    const bool reset = peak.open(QIODevice::WriteOnly) && peak.write("5") == 1;
    peak.close();
    const long before = statusKb(self, "VmRSS");
    g_sink = checkPage(hostile, dir).size();
    std::printf("Note: Check page on the %.2f MB page of MouseOver scripts: %lld problems found; "
                "memory at its peak %.1f MB above the %.1f MB before it (the page's text takes "
                "%.1f MB)%s.\n",
                double(hostile.size()) / 1048576.0,
                static_cast<long long>(checkPage(hostile, dir).size()),
                toMb(statusKb(self, "VmHWM") - before), toMb(before),
                double(hostile.size()) * 2 / 1048576.0,
                reset ? "" : " (the peak could not be reset, so this is the whole run's)");
    return 0;
}

int makePageFile(const QString &path, qsizetype bytes)
{
    QString error;
    if (!SaveFile(path, makePage(bytes), PageEncoding::Windows1252, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    return 0;
}

// One process: the program at its Start screen, then the page loaded and
// shown in the Selection screen's field.
int memoryProgram(const QString &path)
{
    Program program;
    tarnwell::showStartScreens(program.workspace);
    settle();
    const long atStart = statusKb(QStringLiteral("self"), "VmHWM");
    SelectionScreen *selection = program.showSelection();
    program.dialogs.openAnswer = path;
    program.button(selection, "Command17")->click();
    settle();
    program.button(program.workspace.screen<LoadAdviceScreen>(), "Command1")->click();
    bringToFront(selection);
    settle();
    std::printf("MEMORY start=%ld loaded=%ld\n", atStart,
                statusKb(QStringLiteral("self"), "VmHWM"));
    return 0;
}

// The reference: one bare plain-text field showing the same file's text.
int memoryReference(const QString &path)
{
    QPlainTextEdit field;
    field.resize(460, 380);
    field.show();
    settle();
    const long atStart = statusKb(QStringLiteral("self"), "VmHWM");
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        field.setPlainText(QString::fromLatin1(file.readAll()));
    }
    settle();
    std::printf("MEMORY start=%ld loaded=%ld\n", atStart,
                statusKb(QStringLiteral("self"), "VmHWM"));
    return 0;
}

// Runs a process and returns the fields of its line that begins with tag.
QMap<QString, double> runAndRead(const QString &program, const QStringList &arguments,
                                 const char *tag, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    QMap<QString, double> values;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return values;
    }
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        if (!line.startsWith(tag))
            continue;
        for (const QByteArray &field : line.split(' ')) {
            const qsizetype eq = field.indexOf('=');
            if (eq > 0)
                values.insert(QString::fromLatin1(field.left(eq)), field.mid(eq + 1).toDouble());
        }
    }
    return values;
}

int memorySeries(const QString &path, int runs)
{
    const QString self = QCoreApplication::applicationFilePath();
    QList<double> programStart, programLoaded, referenceStart, referenceLoaded;
    for (int i = 0; i < runs; ++i) {
        const auto a = runAndRead(self, {QStringLiteral("memory"), path}, "MEMORY", 120000);
        const auto b =
            runAndRead(self, {QStringLiteral("memory-reference"), path}, "MEMORY", 120000);
        if (a.isEmpty() || b.isEmpty())
            continue;
        programStart.append(toMb(long(a.value(QStringLiteral("start")))));
        programLoaded.append(toMb(long(a.value(QStringLiteral("loaded")))));
        referenceStart.append(toMb(long(b.value(QStringLiteral("start")))));
        referenceLoaded.append(toMb(long(b.value(QStringLiteral("loaded")))));
    }
    printRow("Memory: VmHWM after loading the 10 MB page", median(programLoaded), "MB",
             "bare QPlainTextEdit given the same file", median(referenceLoaded), 0);
    std::printf("Note: memory runs: %lld; at the Start screen (or the bare field, empty) the same "
                "processes peaked at %.1f MB and %.1f MB.\n",
                static_cast<long long>(programLoaded.size()), median(programStart),
                median(referenceStart));
    return 0;
}

// Collects loadFinished from the viewer, which this program does not link.
class LoadWaiter final : public QObject
{
    Q_OBJECT

public:
    double finishedAt = -1;
    QEventLoop loop;

public slots:
    void finished(bool)
    {
        finishedAt = nowMs();
        loop.quit();
    }
};

// The time from the PREVIEW button to the viewer's loadFinished.
double previewOnce(SelectionScreen *selection, QPushButton *preview)
{
    const double start = nowMs();
    preview->click();
    QWidget *browser = selection->browser();
    QObject *viewer =
        browser ? browser->findChild<QObject *>(QStringLiteral("brwWebBrowser")) : nullptr;
    if (!viewer)
        return -1;
    LoadWaiter waiter;
    const QMetaObject *meta = viewer->metaObject();
    QObject::connect(
        viewer, meta->method(meta->indexOfSignal("loadFinished(bool)")), &waiter,
        waiter.metaObject()->method(waiter.metaObject()->indexOfSlot("finished(bool)")));
    QTimer::singleShot(60000, &waiter.loop, &QEventLoop::quit);
    waiter.loop.exec();
    return waiter.finishedAt < 0 ? -1 : waiter.finishedAt - start;
}

int previewProgram(const QString &dir)
{
    QDir().mkpath(dir);
    Program program;
    tarnwell::showStartScreens(program.workspace);
    program.session.setSessionFolder(dir);
    program.session.beginPage(makePage(1024 * 1024));
    SelectionScreen *selection = program.showSelection();
    QPushButton *preview = program.button(selection, "Command3");
    const double first = previewOnce(selection, preview);
    settle();
    const double second = previewOnce(selection, preview);
    settle();
    long count = 0, hwm = 0, rss = 0;
    childMemoryKb(&count, &hwm, &rss);
    std::printf("PREVIEW first=%.1f second=%.1f hwm=%ld children=%ld childhwm=%ld childrss=%ld\n",
                first, second, statusKb(QStringLiteral("self"), "VmHWM"), count, hwm, rss);
    std::fflush(stdout);
    // Chromium does not always end tidily; the figures are out.
    std::quick_exit(0);
}

int previewSeries(const QString &dir, int runs)
{
    const QString self = QCoreApplication::applicationFilePath();
    const QString reference = QDir(QCoreApplication::applicationDirPath())
                                  .filePath(QStringLiteral("tarnwell_bench_webview"));
    const QString file = QDir(dir).filePath(QStringLiteral("viewtmp.html"));
    QList<double> first, second, refFirst, refSecond, hwm, children, childHwm, childRss;
    QList<double> refHwm, refChildHwm;
    for (int i = 0; i < runs; ++i) {
        const auto a = runAndRead(self, {QStringLiteral("preview"), dir}, "PREVIEW", 180000);
        // The reference shows the preview file the program has just written.
        const auto b = runAndRead(reference, {file}, "PREVIEW", 180000);
        if (a.value(QStringLiteral("first"), -1) < 0 || a.value(QStringLiteral("second"), -1) < 0 ||
            b.value(QStringLiteral("first"), -1) < 0 || b.value(QStringLiteral("second"), -1) < 0)
            continue;
        first.append(a.value(QStringLiteral("first")));
        second.append(a.value(QStringLiteral("second")));
        refFirst.append(b.value(QStringLiteral("first")));
        refSecond.append(b.value(QStringLiteral("second")));
        hwm.append(toMb(long(a.value(QStringLiteral("hwm")))));
        children.append(a.value(QStringLiteral("children")));
        childHwm.append(toMb(long(a.value(QStringLiteral("childhwm")))));
        childRss.append(toMb(long(a.value(QStringLiteral("childrss")))));
        refHwm.append(toMb(long(b.value(QStringLiteral("hwm")))));
        refChildHwm.append(toMb(long(b.value(QStringLiteral("childhwm")))));
    }
    printRow("PREVIEW: first, button to load finished (1 MB page)", median(first), "ms",
             "bare QWebEngineView, first load", median(refFirst), 0);
    printRow("PREVIEW: second", median(second), "ms", "bare QWebEngineView, second load",
             median(refSecond), 0);
    printRow("Memory: program VmHWM after two PREVIEWs", median(hwm), "MB",
             "bare QWebEngineView program", median(refHwm), 0);
    printRow("Memory: viewer processes, sum of VmHWM", median(childHwm), "MB",
             "bare QWebEngineView's processes", median(refChildHwm), 0);
    std::printf("Note: PREVIEW runs: %lld; viewer processes: %.0f, their VmRSS summed %.1f MB "
                "(shared pages counted in each).\n",
                static_cast<long long>(first.size()), median(children), median(childRss));
    return 0;
}

// The work of the user-interface thread, event by event: its own processor
// time, which other processes and threads taking the processor do not add
// to, and the longest stretch of it while a measure runs.
class TimedApplication final : public QApplication
{
public:
    using QApplication::QApplication;

    void start()
    {
        m_longest = 0;
        m_measuring = true;
    }
    double stop()
    {
        m_measuring = false;
        if (m_tellWho)
            std::fprintf(stderr, "longest %.2f ms: %s\n", m_longest, m_who.constData());
        return m_longest;
    }

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (!m_measuring || m_depth > 0)
            return QApplication::notify(receiver, event);
        // Only the outermost event: one nested inside is part of its time.
        ++m_depth;
        // Which event took longest, for finding what holds the thread.
        const QByteArray who = m_tellWho ? QByteArray(receiver->metaObject()->className()) + ' ' +
                                               receiver->objectName().toUtf8() + " event " +
                                               QByteArray::number(int(event->type()))
                                         : QByteArray();
        const double start = threadMs();
        const bool done = QApplication::notify(receiver, event);
        const double took = threadMs() - start;
        if (took > m_longest) {
            m_longest = took;
            m_who = who;
        }
        --m_depth;
        return done;
    }

private:
    static double threadMs()
    {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
    }

    bool m_measuring = false;
    int m_depth = 0;
    double m_longest = 0;
    const bool m_tellWho = qEnvironmentVariableIsSet("TARNWELL_BENCH_WHO");
    QByteArray m_who;
};

TimedApplication *g_app = nullptr;

// Runs the event loop until the live page has loaded a version begun after
// now, or two minutes have passed; false then.
bool waitForLivePage(LivePage *live)
{
    QEventLoop loop;
    bool loaded = false;
    const auto connection = QObject::connect(live, &LivePage::loaded, &loop, [&] {
        loaded = true;
        loop.quit();
    });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(connection);
    return loaded;
}

// Lets the processes and threads finish what a measure left behind (the
// viewer freeing a page it no longer shows, the live page's reading).
void quieten(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Appends the fragment and lets the live page show it: the longest stretch
// of user-interface thread work meanwhile. The edit itself is the text box's
// work, the same with the live page off (the key typed in benchLive), and so
// is drawing it: both are done before the timing starts, well within the
// live page's pause. The update is what follows.
double heldByUpdate(SelectionScreen *selection, LivePage *live, const QString &fragment,
                    bool *loaded)
{
    selection->appendToPage(fragment);
    QCoreApplication::sendPostedEvents();
    selection->window()->repaint();
    g_app->start();
    *loaded = waitForLivePage(live);
    return g_app->stop();
}

// Widens the window and gives the live page the width asked for; false if
// the pane does not take it.
bool widenLivePage(SelectionScreen *selection, QSplitter *splitter, int width)
{
    QWidget *view = selection->findChild<QWidget *>(QStringLiteral("LivePage"));
    if (!splitter || !view || width <= 0)
        return false;
    QWidget *window = selection->window();
    window->resize(window->width() + width - view->width(), window->height());
    settle();
    QList<int> sizes = splitter->sizes();
    const int more = width - view->width();
    sizes[0] -= more;
    sizes[1] += more;
    splitter->setSizes(sizes);
    settle();
    return view->width() == width;
}

// The live page after an append, beside PREVIEW of the same page, and the
// longest the user-interface thread works at a stretch during each, beside a
// key typed with the live page off, for pages of three sizes.
int benchLive(const QString &dir, const QString &only)
{
    const struct
    {
        const char *name;
        qsizetype bytes;
        int runs;
        int quiet; // ms to wait after each measure
    } sizes[] = {{"10 KB", 10 * 1024, 11, 300},
                 {"1 MB", 1024 * 1024, 7, 1500},
                 {"10 MB", 10 * 1024 * 1024, 5, 8000}};
    QMap<QString, double> liveWork, liveSpan;
    for (const auto &size : sizes) {
        if (!only.isEmpty() && only != QString::fromLatin1(size.name).remove(' '))
            continue;
        const QString folder = QDir(dir).filePath(QString::fromLatin1(size.name).remove(' '));
        QDir().mkpath(folder);
        Program program;
        program.session.setSessionFolder(folder);
        program.session.beginPage(makePage(size.bytes));
        SelectionScreen *selection = program.showSelection(true);
        auto *live = selection->findChild<LivePage *>();
        auto *showPage = selection->findChild<QCheckBox *>(QStringLiteral("ShowPage"));
        QPushButton *preview = program.button(selection, "Command3");
        QPlainTextEdit *field = program.field();
        if (!live || !waitForLivePage(live)) {
            std::fprintf(stderr, "the live page did not show the %s page\n", size.name);
            return 1;
        }
        // The live page as wide as PREVIEW shows it: the same page in a pane
        // half as wide breaks into twice the lines, more layout for Chromium
        // in any view, and the measure is of the update, not of the width.
        previewOnce(selection, preview);
        const QWidget *viewer =
            selection->browser()->findChild<QWidget *>(QStringLiteral("brwWebBrowser"));
        const int previewWidth = viewer ? viewer->width() : 0;
        delete selection->browser();
        auto *splitter = selection->findChild<QSplitter *>(QStringLiteral("PageSplitter"));
        if (!widenLivePage(selection, splitter, previewWidth)) {
            std::fprintf(stderr, "the live page could not be made %d pixels wide\n", previewWidth);
            return 1;
        }
        quieten(size.quiet);
        const QString fragment = fragment100();
        QList<double> liveMs, previewMs, liveHolds, keyHolds;
        const auto measureLive = [&] {
            const double start = nowMs();
            bool loaded = false;
            const double held = heldByUpdate(selection, live, fragment, &loaded);
            if (loaded) {
                liveMs.append(nowMs() - start);
                liveHolds.append(held);
            }
            quieten(size.quiet);
        };
        const auto measurePreview = [&] {
            previewMs.append(previewOnce(selection, preview));
            delete selection->browser();
            quieten(size.quiet);
        };
        for (int run = 0; run < size.runs; ++run) {
            // Neither always goes first.
            if (run % 2) {
                measurePreview();
                measureLive();
            } else {
                measureLive();
                measurePreview();
            }
            // A key typed with the live page off, and what follows it.
            showPage->setChecked(false);
            settle();
            field->moveCursor(QTextCursor::End);
            g_app->start();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
            QCoreApplication::sendEvent(field, &press);
            QCoreApplication::sendEvent(field, &release);
            quieten(300);
            keyHolds.append(g_app->stop());
            showPage->setChecked(true);
            waitForLivePage(live);
            quieten(size.quiet);
        }
        const QByteArray updated = QByteArray("Live page: append to page loaded, ") + size.name;
        printRow(updated.constData(), median(liveMs), "ms",
                 "PREVIEW of the same page, button to loaded", median(previewMs), 1.2);
        const QByteArray held =
            QByteArray("Live page: longest stretch of user-interface thread work, update, ") +
            size.name;
        printRow(held.constData(), median(liveHolds), "ms", "a key typed, live page off",
                 median(keyHolds), 0);
        liveWork.insert(QString::fromLatin1(size.name), median(liveHolds));
        liveSpan.insert(QString::fromLatin1(size.name), median(liveMs));
    }
    if (liveWork.contains("10 MB")) {
        // The longest of many stretches is longer than the longest of a few
        // by chance alone, and a 10 MB page takes 300 times as long as a
        // 10 KB one to show: the 10 KB page is updated again and again over
        // as long as one 10 MB update took, and the longest stretch of that
        // time is its figure.
        const QString folder = QDir(dir).filePath(QStringLiteral("10KB-span"));
        QDir().mkpath(folder);
        Program program;
        program.session.setSessionFolder(folder);
        program.session.beginPage(makePage(10 * 1024));
        SelectionScreen *selection = program.showSelection(true);
        auto *live = selection->findChild<LivePage *>();
        if (!live || !waitForLivePage(live))
            return 1;
        const QString fragment = fragment100();
        QList<double> spanHolds;
        int updates = 0;
        for (int run = 0; run < 5; ++run) {
            quieten(300);
            const double start = nowMs();
            double held = 0;
            while (nowMs() - start < liveSpan.value("10 MB")) {
                bool loaded = false;
                held = qMax(held, heldByUpdate(selection, live, fragment, &loaded));
                ++updates;
            }
            spanHolds.append(held);
        }
        printRow("Live page: longest stretch of user-interface thread work, 10 MB page",
                 liveWork.value("10 MB"), "ms",
                 "10 KB page updated over as long", median(spanHolds), 1.2);
        std::printf("Note: the 10 KB page was updated %d times over 5 spans of %.0f ms; "
                    "one update of it alone: %.1f ms.\n",
                    updates, liveSpan.value("10 MB"), liveWork.value("10 KB", -1));
    }
    std::fflush(stdout);
    std::quick_exit(0);
}

} // namespace

int main(int argc, char *argv[])
{
    // The viewer needs this before the application exists, as in the program.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const QString arg2 = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const int arg3 = argc > 3 ? std::atoi(argv[3]) : 0;
    if (mode == QLatin1String("memory-series") || mode == QLatin1String("preview-series") ||
        mode == QLatin1String("make-page")) {
        QCoreApplication app(argc, argv);
        if (mode == QLatin1String("make-page"))
            return makePageFile(arg2, arg3);
        if (mode == QLatin1String("memory-series"))
            return memorySeries(arg2, arg3 > 0 ? arg3 : 3);
        return previewSeries(arg2, arg3 > 0 ? arg3 : 5);
    }
    TimedApplication app(argc, argv);
    g_app = &app;
    QApplication::setQuitOnLastWindowClosed(false);
    if (mode == QLatin1String("append"))
        return benchAppend();
    if (mode == QLatin1String("checkpage"))
        return benchCheckPage(arg2);
    if (mode == QLatin1String("saveload"))
        return benchSaveLoad(arg2);
    if (mode == QLatin1String("memory"))
        return memoryProgram(arg2);
    if (mode == QLatin1String("memory-reference"))
        return memoryReference(arg2);
    if (mode == QLatin1String("preview"))
        return previewProgram(arg2);
    if (mode == QLatin1String("live"))
        return benchLive(arg2, argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString());
    std::fprintf(stderr, "unknown mode\n");
    return 2;
}

#include "page_bench.moc"
