#include "JSCompressor.h"

#include "compress/JSMinifier.h"

#include <QMDrovebot/editor/DocWindow.h>
#include <QMDrovebot/editor/Editor.h>

QString compressJavaScript(QMDrovebot::Editor *editor)
{
    if (!editor)
        return QString();
    return compressJavaScriptText(editor->textEdit()->toPlainText());
}
