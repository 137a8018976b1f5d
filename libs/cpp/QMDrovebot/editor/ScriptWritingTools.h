#pragma once

#include <QObject>
#include <QTextCursor>
#include <QTimer>

class QAction;
class QLabel;
class QMainWindow;
class QWidget;

namespace QMDrovebot {

class Editor;
class InputRecorder;
class WidgetLocator;
class WidgetPicker;

// Pick Widget and Record for an editor window: the two actions (Ctrl+Shift+K
// and Ctrl+Shift+R), their state in the window's status bar, and what they
// write into the window's document. The window only adds the actions to its
// menus and forwards its slots here.
class ScriptWritingTools : public QObject
{
    Q_OBJECT

public:
    ScriptWritingTools(Editor *editor, QMainWindow *window);
    ~ScriptWritingTools() override;

    QAction *pickAction() const;
    // "Record", and "Stop Recording" while it records.
    QAction *recordAction() const;
    WidgetPicker *picker() const;
    InputRecorder *recorder() const;
    bool isRecording() const;

public slots:
    void pickWidget();
    void startRecording();
    void stopRecording();

private:
    void picked(QWidget *widget, const WidgetLocator &locator);
    // Puts the recording's latest text in place of its previous one.
    void writeRecording();
    void showState();

    Editor *m_editor;
    QMainWindow *m_window;
    QAction *m_pickAction;
    QAction *m_recordAction;
    QLabel *m_state;
    WidgetPicker *m_picker;
    InputRecorder *m_recorder;
    // Where the recording's text stands in the document; it moves with what
    // the user writes before it.
    QTextCursor m_start;
    QTextCursor m_end;
    bool m_written = false;
    QTimer m_writeSoon;
};

} // namespace QMDrovebot
