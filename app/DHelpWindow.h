// The help window: the compiled-in help pages in a browser with Back, Forward and Contents.
#pragma once

#include <QWidget>

class QTextBrowser;
class QToolButton;

// A top-level window owned by the frame, deleted when closed. The frame finds it by its
// caption to close an open one before showing a new one, and when the editor closes.
class DHelpWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kCaption = "Amplix 32 Help";
    static constexpr const char* kContentsPage = "qrc:/help/index.html";

    explicit DHelpWindow(QWidget* parent);

    QTextBrowser* Browser = nullptr;
    QToolButton* ButtonBack = nullptr;
    QToolButton* ButtonForward = nullptr;
    QToolButton* ButtonContents = nullptr;
};
