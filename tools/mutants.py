#!/usr/bin/env python3
"""Plants one-line faults in a scratch copy of the tree and tells which ones
the test suite catches.

    tools/mutants.py                 every fault
    tools/mutants.py minifier- ids-  the faults whose label starts so
    tools/mutants.py --list          the faults and whether their text is found

The tree (without build/ and .git) is copied to a scratch folder under the
system's temporary folder and built there once; each fault is then applied by replacing one
exact, unique text, the build is brought up to date and the suite runs with a
time limit per test and in all. A fault counts as caught only when a test
fails: a run that hits the overall limit caught nothing. Each fault names the
tests most likely to catch it; those are built and run first, and the rest of
the suite only when they pass, so a caught fault costs one small build.
A fault whose text lies in a comment is refused: it would change no code and
survive every suite.
"""
import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

MIN = "app/compress/JSMinifier.cpp"
ASCII = "app/compress/JSAsciiEncoder.cpp"
CMD = "app/compress/CompressCommand.cpp"
OPTIONS = "app/cli/CommandOptions.cpp"
DLG = "app/window/DlgJSCompressed.cpp"
MAINWIN = "app/window/JSMainWindow.cpp"
LIB = "libs/cpp/QMDrovebot/"
INC = LIB + "engine/IncludeExpander.cpp"
ENG = LIB + "engine/ScriptEngine.cpp"
PROTO = LIB + "engine/ProtocolFiles.cpp"
EDITOR = LIB + "editor/Editor.cpp"
DOC = LIB + "editor/DocWindow.cpp"
HL = LIB + "editor/SyntaxHighlighter.cpp"
GUTTER = LIB + "editor/LineTextWidget.cpp"
FIND = LIB + "editor/FindDialog.cpp"
LOOKUP = LIB + "automation/WidgetLookup.cpp"
STATE = LIB + "automation/AutomationState.cpp"
KEYS = LIB + "automation/KeyNames.cpp"
INPUT = LIB + "automation/InputSimulator.cpp"
INPUTFUNCS = LIB + "automation/InputFunctions.cpp"
TIMERFUNCS = LIB + "automation/TimerFunctions.cpp"
OUTPUTFUNCS = LIB + "automation/OutputFunctions.cpp"
NAMING = LIB + "ids/IdNaming.cpp"
IDS = LIB + "ids/WidgetIds.cpp"
CLI = "app/cli/CommandLine.cpp"
GUARD = "app/cli/ScriptRunGuard.cpp"
SCRIPTCMD = "app/cli/ScriptCommand.cpp"
JUNIT = "app/cli/JUnitReport.cpp"
FRAME = "app/window/JavaScriptEvaluator.cpp"
BARITEM = "app/window/MUIBarItem.cpp"
SAVEFILE = "libs/cpp/MTools/CheckedSaveFile.cpp"
LONGLINE = LIB + "engine/LongLineLayout.cpp"
SYNTAX = LIB + "engine/SyntaxCheck.cpp"
FORMAT = LIB + "editor/TextFileFormat.cpp"
DELETION = LIB + "editor/DeletionGuard.cpp"
BATCH = LIB + "batch/BatchArea.cpp"
BATCHWIN = LIB + "batch/MainWindow.cpp"
TIMER = LIB + "automation/Timer.cpp"
DIALOGS = LIB + "automation/ScriptDialogs.cpp"
VALUES = LIB + "engine/ValueTexts.cpp"
OUTPUT = LIB + "engine/OutputArea.cpp"

MINI = ["tst_compress"]
RUN = ["tst_editorrun", "tst_includeexpander"]
GUI = ["tst_support", "tst_dialogs_timers"]

# (label, file, exact text, replacement, tests to try first)
FAULTS = [
    # The minifier's rules.
    ("minifier-tab-after-semicolon", MIN, "s.last != ' ' && s.last != '\\t' && s.last != ';'",
     "s.last != ' ' && s.last != '\\t'", MINI),
    ("minifier-minus-fuse", MIN, "(before == '+' || before == '-' || before == '/')",
     "(before == '+' || before == '/')", MINI),
    ("minifier-regex-keyword", MIN, '{"return", "typeof",', '{"retrun", "typeof",', MINI),
    ("minifier-comment-linefeed", MIN, "if (s.blockBreak == '\\n' && s.last != 0)",
     "if (s.blockBreak != '\\n' && s.last != 0)", MINI),
    ("minifier-unclosed-quote", MIN, "(c == '\\n' || c == '\\r') && quote != '`') {",
     "(c == '\\n' || c == '\\r') && quote == '\"') {", MINI),
    ("ascii-escape", ASCII, "*o++ = 'u';", "*o++ = 'x';", MINI),
    ("compress-utf8-cut", CMD, "(c >= 0xE0 ? 3 :", "(c >= 0xE0 ? 2 :", MINI),
    # Include expansion.
    ("include-own-folder", INC, "return dir + QLatin1Char('/') + name;", "return dir + name;", RUN),
    ("include-missing-text", INC, '"\\" does not exist"', '"\\" is missing"', RUN),
    # Equivalent on Qt 5 (QString::fromUtf8(QByteArray) stops at the first
    # NUL by itself), so it survives every suite; kept so that results of
    # different days stay comparable.
    ("include-nul-cut", INC, "bytes.truncate(zero);", "Q_UNUSED(zero);", RUN),
    # Line offsets and error texts.
    ("offset-syntax-line", EDITOR, 'QString::number(line - offset) + QStringLiteral("<BR>Column:")',
     'QString::number(line) + QStringLiteral("<BR>Column:")', RUN),
    ("offset-prefix-lines", EDITOR, "setMainProgramLineOffset(IncludeExpander::lineCount(prefix));",
     "setMainProgramLineOffset(IncludeExpander::lineCount(prefix) - 1);", RUN),
    ("error-backtrace-escape", EDITOR, "backtrace.join(QLatin1Char('\\n')).toHtmlEscaped()",
     "backtrace.join(QLatin1Char('\\n'))", RUN),
    ("error-stop-text", ENG, '"Script evaluation is stopped by user"', '"Script evaluation stopped by user"',
     RUN + GUI),
    ("nested-run-refusal", EDITOR, "if (!m_engine->isBusy())\n        return false;",
     "if (true)\n        return false;", RUN + GUI),
    # Protocol files.
    ("protocol-folder", PROTO, 'QStringLiteral("/protocol/")', 'QStringLiteral("/protocols/")',
     ["tst_protocolfiles"]),
    ("protocol-stamp", PROTO, '"yyyy-MMM-dd_hh-mm-ss"', '"yyyy-MM-dd_hh-mm-ss"', ["tst_protocolfiles"]),
    ("protocol-log-separator", PROTO, 'QStringLiteral(": ") + text', 'QStringLiteral(" ") + text',
     ["tst_protocolfiles"]),
    # Lookup orders.
    ("lookup-last-top-level", LOOKUP, "result = found;", "return found;", ["tst_widgetlookup"]),
    ("lookup-visible-only", LOOKUP, "return match(w) && (!visibleOnly || w->isVisible());", "return match(w);", ["tst_widgetlookup"]),
    ("lookup-exact-class-first", LOOKUP, "if (QObject *exact = chainByClassName(object, className))",
     "if (QObject *exact = chainByClassNameSuffix(object, className))", ["tst_widgetlookup"]),
    # Key names.
    ("keys-f12", KEYS, "for (int i = 0; i < 12; ++i)", "for (int i = 0; i < 11; ++i)", GUI),
    ("keys-del", KEYS, '{"Del", Qt::Key_Delete},', '{"Delete", Qt::Key_Delete},', GUI),
    ("keys-ctrl", KEYS, "return Qt::ControlModifier;", "return Qt::MetaModifier;", GUI),
    # Posting input.
    ("input-typed-text", INPUT, "Qt::NoModifier, QString(c), false, 1", "Qt::NoModifier, QString(), false, 1", GUI),
    ("input-click-release", INPUT, "postMouse(QEvent::MouseButtonRelease, widget, px, py, mb, mbs);",
     "postMouse(QEvent::MouseButtonPress, widget, px, py, mb, mbs);", GUI),
    ("input-shortcut-reenable", INPUT, "disabled->setEnabled(true);", "disabled->setEnabled(false);", GUI),
    ("input-mouse-button-arg", INPUTFUNCS, "count >= 2 ? numberArg(context, 1)", "count >= 3 ? numberArg(context, 1)", GUI),
    ("timer-negative-interval", TIMERFUNCS, "timer->start(qMax(0, int32Arg(context, 0)));",
     "timer->start(int32Arg(context, 0));", GUI),
    # Widget IDs and their shortening.
    ("ids-alphabet", NAMING, '"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcefghijklmnopqrstuvwxyz"',
     '"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxy"', ["tst_widgetids"]),
    ("ids-tooltip-first", NAMING, "if (!savedToolTip.isEmpty())", "if (!savedToolTip.isEmpty() && objectName.isEmpty())",
     ["tst_widgetids"]),
    ("ids-skip-top-level", NAMING, "for (int i = 1; i <= shortest - 2", "for (int i = 0; i <= shortest - 2",
     ["tst_widgetids"]),
    # Opening and saving documents.
    ("doc-save-suffix", DOC, 'if (!path.endsWith(QLatin1String(".js")))', "if (false)",
     ["tst_jsmainwindow", "tst_editorrun"]),
    ("doc-failed-save-keeps-name", DOC, "m_fileName = previous;", "Q_UNUSED(previous);",
     ["tst_jsmainwindow", "tst_editorrun"]),
    # The highlighter.
    ("highlighter-word-end", HL, "if (wordStart && end < size && isWordCharacter(text[end]))",
     "if (wordStart && end + 1 < size && isWordCharacter(text[end]))", ["tst_editorview"]),
    ("highlighter-either-quote", HL, "if ((c == QLatin1Char('\"') || c == QLatin1Char('\\'')) && !(i > 0",
     "if (c == QLatin1Char('\"') && !(i > 0", ["tst_editorview"]),
    # The gutter.
    ("gutter-first-number", GUTTER, "int number = block.blockNumber() + 1;", "int number = block.blockNumber();",
     ["tst_editorview"]),
    ("gutter-bold-current", GUTTER, "block == cursorBlock ? boldFont : normalFont",
     "block == cursorBlock ? normalFont : boldFont", ["tst_editorview"]),
    # The find dialog.
    ("find-edit-name", FIND, 'QStringLiteral("findLineEdit")', 'QStringLiteral("findEdit")',
     ["tst_editorview"]),
    ("find-from-cursor", FIND, "find(lineEdit->text(), textEdit->textCursor())", "find(lineEdit->text(), 0)",
     ["tst_editorview"]),
    # The compressed dialog.
    ("compressed-plain-text", DLG, "m_textEdit->setPlainText(text);", "m_textEdit->setText(text);",
     ["tst_javascriptevaluator"]),
    ("compressed-ascii-export", DLG, "toJavaScriptAscii(m_textEdit->toPlainText())",
     "m_textEdit->toPlainText().toUtf8()", ["tst_javascriptevaluator"]),
    # The command line.
    ("cli-run-and-compress", OPTIONS, "if (commands > 1) {", "if (false) {", ["tst_commandline", "tst_batchcommand"]),
    ("cli-run-status", SCRIPTCMD, "m_printer.failedRows() == 0 && !flakyFails ? 0 : 1;",
     "m_printer.failedRows() == 0 && !flakyFails ? 0 : 2;", ["tst_commandline", "tst_batchcommand"]),
    # Stop, abort and the other ends of a run.
    ("stop-reaches-computing-script", ENG, "constexpr int kEventInterval = 50;", "constexpr int kEventInterval = -1;",
     ["tst_scriptengine", "tst_editorrun"]),
    ("callback-exception-ends-run", ENG, "if (!isRunningProgram() || m_interrupted || !isEvaluating())", "if (true)",
     ["tst_scriptengine", "tst_editorrun"]),
    # Runs without an agent: the run's own record of waiting and computing.
    ("held-while-slot-loop-runs", ENG, "m_doing.back().loopLevel == loopLevel();", "true;",
     ["tst_scriptengine"] + RUN + GUI),
    ("timer-function-computes", TIMER,
     "ScriptEngine::Activity computing(m_engine, ScriptEngine::Activity::Computing);\n    QTimer::timerEvent(event);",
     "QTimer::timerEvent(event);", ["tst_scriptengine", "tst_editorrun"]),
    ("held-input-handler-computes", ENG, "Activity computing(this, Activity::Computing);\n    QCoreApplication::sendEvent",
     "QCoreApplication::sendEvent", ["tst_scriptengine", "tst_editorrun"]),
    ("pending-events-wait", DIALOGS,
     "ScriptEngine::Activity waiting(ScriptEngine::runningEngine(), ScriptEngine::Activity::Waiting);", "",
     ["tst_scriptengine", "tst_editorrun"]),
    ("stop-line-unknown-while-computing", ENG, "m_interruptComputing = i == 0;", "m_interruptComputing = false;",
     ["tst_scriptengine", "tst_editorrun"]),
    ("stop-line-outside-callbacks", ENG, "outside = i + 1;", "outside = 0;", ["tst_scriptengine", "tst_editorrun"]),
    ("error-text-runs-script", VALUES, "    return className;\n}\n\nQStringList", "    return value.toString();\n}\n\nQStringList",
     ["tst_editorrun"]),
    ("backtrace-runs-script", VALUES, "if (plainArguments)\n        return context->toString();",
     "return context->toString();", ["tst_editorrun"]),
    ("include-check-time-limit", INC, "limit.start(kCheckTimeLimitMs);", "", ["tst_includeexpander"]),
    ("include-check-once-per-run", INC, "if (settled || run)", "if (settled)", ["tst_includeexpander"]),
    ("include-check-stopped", INC,
     "QObject::connect(run, &ScriptEngine::interrupted, &engine, [&engine] { engine.abortEvaluation(); });", "",
     ["tst_includeexpander", "tst_commandline"]),
    # Printing: lines gathered, the pane read and changed after them.
    ("printout-gathered", OUTPUTFUNCS, "output->print(textArg(context, 0));", "output->append(textArg(context, 0));",
     ["tst_editorrun"]),
    ("pane-read-takes-in", OUTPUT, "const_cast<OutputArea *>(this)->flush();\n    return QTextEdit::toPlainText();",
     "return QTextEdit::toPlainText();", ["tst_editorrun"]),
    ("pane-slot-takes-in", OUTPUT, "flush();\n    QTextEdit::setTextColor(color);", "QTextEdit::setTextColor(color);",
     ["tst_editorrun"]),
    ("pane-input-takes-in", OUTPUT, "type == QEvent::DragMove)\n        flush();", "type == QEvent::DragMove)\n        return;",
     ["tst_editorrun"]),
    ("output-plain-after-error", EDITOR, "start.setCharFormat(QTextCharFormat());", "start.clearSelection();",
     ["tst_editorrun"]),
    ("run-timeout-one-second", GUARD, "if (m_timeLimitSeconds > 0)", "if (m_timeLimitSeconds > 1)",
     ["tst_commandline"]),
    ("run-sigterm", GUARD, "::sigaction(SIGTERM, &action, nullptr);", "::sigaction(SIGHUP, &action, nullptr);",
     ["tst_commandline"]),
    ("run-waits-for-active-window", CLI, "const bool ready = window && window->isExposed() && frame->isActiveWindow();",
     "const bool ready = true;", ["tst_commandline"]),
    ("quit-asks-first", STATE, "if (application && !AutomationState::quitsDirectly())",
     "if (application && AutomationState::quitsDirectly())", ["tst_javascriptevaluator"]),
    ("include-line-comment", INC, "} else if (c == QLatin1Char('/') && next == QLatin1Char('/')) {",
     "} else if (false) {", ["tst_includeexpander", "tst_editorrun"]),
    ("ids-no-alias", IDS, "void WidgetIds::fillAliases()\n{\n",
     'void WidgetIds::fillAliases()\n{\n    aliasTable().insert(QStringLiteral("QMDrovebot::OutputArea"), '
     'QStringLiteral("OutputArea"));\n',
     ["tst_widgetids"]),
    ("ids-restore-only-saved", IDS, "&& !widget->toolTip().isEmpty())", ")", ["tst_widgetids"]),
    # What the editor shows.
    ("longline-wrap-anywhere", LONGLINE, "option.setWrapMode(QTextOption::WrapAnywhere);",
     "option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);", ["tst_longlinelayout"]),
    ("selection-colour", FRAME, '"selection-color: black; }\\n"', '"}\\n"', ["tst_javascriptevaluator"]),
    ("undo-image", FRAME, '":/Icon_redo.png", &JSMainWindow::undo', '":/Icon_undo.png", &JSMainWindow::undo',
     ["tst_javascriptevaluator"]),
    ("toolbar-gap", BARITEM, "horizontalAdvance(m_caption), picture) + 2 * sideGap);",
     "horizontalAdvance(m_caption), picture));", ["tst_javascriptevaluator"]),
    ("zoom-restore-smallest", EDITOR, "zoomBy(qMax(level, smallest) - appliedZoom());", "zoomBy(level - appliedZoom());",
     ["tst_editorview"]),
    ("gutter-width-follows-lines", EDITOR,
     "connect(m_textEdit->document(), &QTextDocument::blockCountChanged, this, &Editor::fitGutterWidth);", "",
     ["tst_editorview"]),
    # Nothing the user typed is lost.
    ("save-flush-checked", SAVEFILE, "if (!m_saveFile->flush() || m_saveFile->error() != QFileDevice::NoError)",
     "if (false)", ["tst_datasafety", "tst_compress"]),
    ("save-read-only-folder", SAVEFILE, "if (info.isFile() && info.isWritable() && openInPlace())", "if (false)",
     ["tst_compress", "tst_datasafety"]),
    ("save-crlf-kept", FORMAT, "withEnds.replace(QLatin1Char('\\n'), QLatin1String(\"\\r\\n\"));",
     "withEnds.replace(QLatin1Char('\\n'), QLatin1String(\"\\n\"));", ["tst_datasafety"]),
    ("save-never-question-mark", FORMAT, "if (!codec || !codec->canEncode(withEnds))", "if (!codec)",
     ["tst_datasafety"]),
    ("save-failure-shown", MAINWIN, "m_fileStatus->setVisible(!message.isEmpty());", "m_fileStatus->setVisible(false);",
     ["tst_jsmainwindow"]),
    ("recovery-before-run", EDITOR, "m_recovery->writeNow();", "", ["tst_datasafety"]),
    ("deletelater-refused", DELETION, "className())));\n    return true;", "className())));\n    return false;",
     ["tst_datasafety"]),
    ("deep-nesting-static-check", SYNTAX, "if (parserNestingEstimate(program) <= maximumStaticCheckNesting) {",
     "if (true) {", ["tst_editorrun"]),
    ("minifier-template-brace", MIN, "if (s.braceDepth == templates.back()) {", "if (true) {",
     ["tst_compress"]),
    ("compress-regular-files-only", CMD, "if (!info.isFile())", "if (false)", ["tst_compress"]),
    # The batch runner.
    ("batch-refused-while-running", BATCH, "button->setEnabled(!running);", "button->setEnabled(true);",
     ["tst_batchwindow"]),
    ("batch-ctrl-o", BATCHWIN, 'tr("&Zoom Out"), QKeySequence::ZoomOut,', 'tr("&Zoom Out"), QKeySequence(QStringLiteral("CTRL+O")),',
     ["tst_batchwindow"]),
    ("batch-f9-toggles", BATCHWIN, "m_batchDock->setVisible(!m_batchDock->isVisible());",
     "m_batchDock->setVisible(true);", ["tst_batchwindow"]),
    ("batch-recent-four", LIB + "batch/MainWindow.h", "maximumRecentFiles = 4;", "maximumRecentFiles = 5;",
     ["tst_batchwindow"]),
    ("batch-junit-failures", JUNIT, "failures += outcome == Outcome::Failed ? 1 : 0;", "failures += 0;",
     ["tst_batchcommand"]),
]


def matching(patterns):
    if not patterns:
        return FAULTS
    return [f for f in FAULTS if any(f[0].startswith(p) or re.fullmatch(p, f[0]) for p in patterns)]


def comment_spans(text):
    """The (start, end) ranges of the C++ comments in `text`; string and
    character literals (raw strings included) are skipped, so a "//" inside
    one starts nothing."""
    spans = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            spans.append((i, end))
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            spans.append((i, end))
            i = end
        elif c == "R" and text.startswith('"', i + 1) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            open_paren = text.find("(", i + 2)
            closing = ")" + text[i + 2:open_paren] + '"'
            end = text.find(closing, open_paren)
            i = n if end < 0 else end + len(closing)
        elif c in "\"'":
            i += 1
            while i < n and text[i] != c and text[i] != "\n":
                i += 2 if text[i] == "\\" else 1
            i += 1
        else:
            i += 1
    return spans


def in_comment(text, old):
    """True when the (unique) text `old` overlaps a comment."""
    start = text.find(old)
    end = start + len(old)
    return any(a < end and start < b for a, b in comment_spans(text))


def check(root, fault):
    """"ok", or why the fault cannot be planted."""
    path = os.path.join(root, fault[1])
    text = ""
    if os.path.isfile(path):
        with open(path, encoding="utf-8") as handle:
            text = handle.read()
    count = text.count(fault[2])
    if count != 1:
        return "text found %d times" % count
    if in_comment(text, fault[2]):
        return "text lies in a comment"
    return "ok"


def run(command, cwd, limit=None, log=None):
    """Runs `command`; returns (exit status or None on timeout, seconds)."""
    start = time.monotonic()
    with open(log or os.devnull, "a") as out:
        process = subprocess.Popen(command, cwd=cwd, stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
        try:
            status = process.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            status = None
    return status, time.monotonic() - start


def build(args, targets):
    command = ["cmake", "--build", args.build, "-j", str(args.jobs)]
    for target in targets:
        command += ["--target", target]
    status, _ = run(command, args.build, args.build_limit, args.log)
    return status == 0


def failing_tests(args, selection, remaining, stop=True):
    """Runs the tests (ctest -R/-E regex); returns the failing tests, "" when
    all pass, None when the overall limit ran out."""
    log = os.path.join(args.build, "mutants-ctest.log")
    open(log, "w").close()
    command = ["ctest", "-j", str(args.jobs), "--output-on-failure"] + (["--stop-on-failure"] if stop else []) + selection
    status, _ = run(command, args.build, remaining, log)
    if status is None:
        return None
    if status == 0:
        return ""
    with open(log, encoding="utf-8", errors="replace") as handle:
        text = handle.read()
    failed = re.findall(r"Test\s+#\d+:\s+(\S+)\s+\.*\*+\s*(?:Failed|Timeout|Exception|Not Run)", text)
    return ",".join(failed) if failed else "ctest"


def targets_for(tests):
    """Build targets that the named tests need."""
    targets = [t for t in tests if t.startswith("tst_")]
    return targets + ["corvella"]


def try_fault(args, fault):
    label, rel, old, new, first = fault
    path = os.path.join(args.src, rel)
    with open(path, encoding="utf-8") as handle:
        original = handle.read()
    state = check(args.src, fault)
    if state != "ok":
        return "n/a", state
    with open(path, "w", encoding="utf-8") as handle:
        handle.write(original.replace(old, new))
    try:
        deadline = time.monotonic() + args.total_limit
        known = set(args.tests)
        first = [t for t in first if t in known]
        if first:
            if not build(args, targets_for(first)):
                return "no-compile", ""
            pattern = "^(" + "|".join(map(re.escape, first)) + ")$"
            failed = failing_tests(args, ["-R", pattern], deadline - time.monotonic())
            if failed is None:
                return "survived", "overall time limit"
            if failed:
                return "caught", failed
        if not build(args, ["all"]):
            return "no-compile", ""
        skipped = first + [t for t in list_tests(args.build) if t not in known]
        selection = ["-E", "^(" + "|".join(map(re.escape, skipped)) + ")$"] if skipped else []
        failed = failing_tests(args, selection, deadline - time.monotonic())
        if failed is None:
            return "survived", "overall time limit"
        return ("caught", failed) if failed else ("survived", "")
    finally:
        with open(path, "w", encoding="utf-8") as handle:
            handle.write(original)


def list_tests(build_dir):
    out = subprocess.run(["ctest", "-N"], cwd=build_dir, capture_output=True, text=True).stdout
    return re.findall(r"Test\s+#\d+:\s+(\S+)", out)


def sync_tree(source, target):
    """Makes `target` a copy of `source` without build/ and .git; files whose
    contents did not change keep their times, so the next build is small."""
    skip = {"build", ".git"}
    wanted = set()
    for folder, dirs, files in os.walk(source):
        rel = os.path.relpath(folder, source)
        if rel == ".":
            dirs[:] = [d for d in dirs if d not in skip]
        os.makedirs(os.path.join(target, rel), exist_ok=True)
        for name in files:
            relpath = os.path.normpath(os.path.join(rel, name))
            wanted.add(relpath)
            src, dst = os.path.join(source, relpath), os.path.join(target, relpath)
            with open(src, "rb") as handle:
                data = handle.read()
            if os.path.isfile(dst):
                with open(dst, "rb") as handle:
                    if handle.read() == data:
                        continue
            with open(dst, "wb") as handle:
                handle.write(data)
            shutil.copymode(src, dst)
    for folder, dirs, files in os.walk(target):
        rel = os.path.relpath(folder, target)
        if rel == ".":
            dirs[:] = [d for d in dirs if d not in skip]
        for name in files:
            relpath = os.path.normpath(os.path.join(rel, name))
            if relpath not in wanted:
                os.remove(os.path.join(target, relpath))


def prepare(args):
    os.makedirs(args.src, exist_ok=True)
    os.makedirs(args.build, exist_ok=True)
    sync_tree(ROOT, args.src)
    if not os.path.isfile(os.path.join(args.build, "CMakeCache.txt")):
        subprocess.run(["cmake", "-S", args.src, "-B", args.build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                        "-DCORVELLA_TEST_TIMEOUT=%d" % args.test_limit],
                       check=True, stdout=subprocess.DEVNULL)
    else:
        subprocess.run(["cmake", "-S", args.src, "-B", args.build, "-DCORVELLA_TEST_TIMEOUT=%d" % args.test_limit], check=True,
                       stdout=subprocess.DEVNULL)
    if not build(args, ["all"]):
        sys.exit("mutants: the unchanged tree does not build (log: %s)" % args.log)
    args.tests = list_tests(args.build)
    failed = failing_tests(args, [], args.total_limit, stop=False)
    if failed is None:
        sys.exit("mutants: the unchanged suite ran out of time")
    if failed:
        # A test that fails without any fault tells nothing; it is left out.
        print("mutants: left out, failing on the unchanged tree: %s" % failed, flush=True)
        broken = set(failed.split(","))
        args.tests = [t for t in args.tests if t not in broken]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("labels", nargs="*", help="label prefixes (or regular expressions) of the faults to try")
    parser.add_argument("--list", action="store_true", help="list the faults and whether their text is found")
    parser.add_argument("--scratch", default=os.path.join(tempfile.gettempdir(), "corvella-mutants"),
                        help="scratch folder outside the tree")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--test-limit", type=int, default=180, help="seconds per test")
    parser.add_argument("--total-limit", type=int, default=1200, help="seconds for the suite per fault")
    parser.add_argument("--build-limit", type=int, default=1800, help="seconds per build")
    parser.add_argument("--output", help="also write the results to this file")
    parser.add_argument("--caught-in", metavar="RESULTS",
                        help="only the faults that an earlier results file lists as caught")
    args = parser.parse_args()

    faults = matching(args.labels)
    if args.caught_in:
        with open(args.caught_in, encoding="utf-8") as handle:
            caught = {line.split()[1] for line in handle if line.startswith("caught ")}
        faults = [f for f in faults if f[0] in caught]
    if args.list:
        for fault in faults:
            print("%-36s %-48s %s" % (fault[0], fault[1], check(ROOT, fault)))
        return 0

    args.scratch = os.path.abspath(args.scratch)
    if args.scratch.startswith(ROOT + os.sep):
        sys.exit("mutants: the scratch folder must be outside the tree")
    # The copy keeps the tree's own layout (build/ inside it), so with the
    # base folder set below the compiler cache serves the developer's build
    # and this one alike.
    args.src = os.path.join(args.scratch, "tree")
    args.build = os.path.join(args.src, "build")
    os.environ["CCACHE_BASEDIR"] = args.src
    os.environ["CCACHE_NOHASHDIR"] = "1"
    args.log = os.path.join(args.scratch, "build.log")
    prepare(args)

    results = []
    out = open(args.output, "w") if args.output else None

    def emit(line):
        print(line, flush=True)
        if out:
            out.write(line + "\n")
            out.flush()

    revision = subprocess.run(["git", "-C", ROOT, "rev-parse", "--short", "HEAD"], capture_output=True,
                              text=True).stdout.strip()
    emit("# tools/mutants.py at %s, %s; per test %ds, per fault %ds" %
         (revision, time.strftime("%Y-%m-%d %H:%M"), args.test_limit, args.total_limit))
    for fault in faults:
        start = time.monotonic()
        verdict, detail = try_fault(args, fault)
        results.append(verdict)
        emit("%-10s %-36s %-24s %4.0fs" % (verdict, fault[0], detail, time.monotonic() - start))
    counts = {v: results.count(v) for v in ("caught", "survived", "n/a", "no-compile")}
    emit("# tried %d: caught %d, survived %d, not applicable %d (text not found %d, does not compile %d)" %
         (len(results), counts["caught"], counts["survived"], counts["n/a"] + counts["no-compile"], counts["n/a"],
          counts["no-compile"]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
