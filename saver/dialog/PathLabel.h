// A path label of the settings dialog: keeps its size, wears a thin border, and wraps the path
// over as many lines as fit, one line every font-size pixels as the dialog's labels were laid
// out, breaking after a '/' or a blank where it can and anywhere where it must.
#pragma once

#include "DialogLabel.h"

#include <QColor>

namespace quillaro {

class PathLabel : public DialogLabel {
public:
    PathLabel(QWidget* parent, const QString& name, QColor border);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor border_;
};

} // namespace quillaro
