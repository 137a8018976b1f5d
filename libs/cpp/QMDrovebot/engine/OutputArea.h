#pragma once

#include <QTextEdit>
#include <QTimer>

namespace QMDrovebot {

// The output pane. Published to scripts as "output", so every public slot of
// a text edit (append, clear, setHtml, ...) is reachable from a script.
//
// Printed lines are cheap: plain ones are gathered and put into the document
// together, at the next pass of events (while a script computes, the engine
// lets one through every few milliseconds), one paragraph for many lines.
// Whatever reads or changes the pane through this class takes them in
// first, so it sees everything printed so far in the colours it was printed
// in: the properties and slots scripts reach are this class's own, and so
// are the C++ readers below.
class OutputArea : public QTextEdit
{
    Q_OBJECT
    Q_PROPERTY(QString plainText READ toPlainText WRITE setPlainText DESIGNABLE false)
    Q_PROPERTY(QString html READ toHtml WRITE setHtml NOTIFY textChanged USER true)
    Q_PROPERTY(QString markdown READ toMarkdown WRITE setMarkdown NOTIFY textChanged)
    Q_PROPERTY(QTextDocument *document READ document WRITE setDocument DESIGNABLE false)

public:
    explicit OutputArea(QWidget *parent = nullptr);

    // A printed line, a paragraph of its own as append() makes it. All
    // printed text arrives here.
    void print(const QString &text);
    // Puts the gathered lines into the document now.
    void flush();

    QString toPlainText() const;
    QString toHtml() const;
    QString toMarkdown(QTextDocument::MarkdownFeatures features = QTextDocument::MarkdownDialectGitHub) const;
    QTextDocument *document() const;

public slots:
    void setFontPointSize(qreal size);
    void setFontFamily(const QString &family);
    void setFontWeight(int weight);
    void setFontUnderline(bool underline);
    void setFontItalic(bool italic);
    void setTextColor(const QColor &color);
    void setTextBackgroundColor(const QColor &color);
    void setCurrentFont(const QFont &font);
    void setAlignment(Qt::Alignment alignment);
    void setPlainText(const QString &text);
    void setHtml(const QString &text);
    void setMarkdown(const QString &markdown);
    void setText(const QString &text);
    void cut();
    void copy();
    void paste();
    void undo();
    void redo();
    void clear();
    void selectAll();
    void insertPlainText(const QString &text);
    void insertHtml(const QString &text);
    void append(const QString &text);
    void scrollToAnchor(const QString &name);

signals:
    // A printed line as it is gathered, before the document holds it: a
    // reader on another thread may need it while the script never yields.
    void gathered(const QString &text);
    // The gathered lines are in the document now (even when all were empty).
    void flushed();
    // The text that left the document at its top, as toPlainText() still
    // gives it; empty again when the pane is cleared or set anew.
    void spilled(const QString &text);

protected:
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    // The toolkit lays a document out in fixed-point numbers that end at
    // 2^25 pixels: a taller pane stalls every later layout for minutes. Past
    // half of that, the older half of the pane leaves the document; its text
    // stays part of toPlainText() (not of the HTML), so what a script, the
    // protocol or the command line reads is still everything printed.
    void spillIfTall();
    void forgetSpilled();

    // Typing, clicking or dropping into the pane lands after what was
    // printed before.
    void flushBeforeInput(const QEvent *event);

    // Gathered lines, joined by line separators.
    QString m_pending;
    int m_pendingLines = 0;
    int m_paragraphStart = 0;
    QTimer m_flushTimer;
    QString m_spilled;
};

} // namespace QMDrovebot
