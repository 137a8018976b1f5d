#pragma once

#include <QString>

namespace QMDrovebot {
class Editor;
}

// The editor's script, minified (see compress/JSMinifier.h). Reads the text of
// the editor's document once and changes nothing; an empty text gives an empty
// result. GUI thread.
QString compressJavaScript(QMDrovebot::Editor *editor);
