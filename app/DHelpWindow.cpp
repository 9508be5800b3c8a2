// The help window, showing the pages under :/help.
#include "app/DHelpWindow.h"

#include "app/AppIcon.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
constexpr QSize kInitialSize(640, 560);

QToolButton* makeNavigationButton(QWidget* parent, const char* member, const QString& text,
                                  const QKeySequence& key, const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(member));
    button->setText(text);
    button->setShortcut(key);
    button->setToolTip(QStringLiteral("%1 (%2)").arg(tip, key.toString(QKeySequence::NativeText)));
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}
} // namespace

DHelpWindow::DHelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("DHelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(kCaption));
    setWindowIcon(amplixIcon(kWindowIconLargest));

    ButtonBack = makeNavigationButton(this, "ButtonBack", QStringLiteral("< Back"), QKeySequence::Back,
                                      QStringLiteral("Previous page"));
    ButtonForward = makeNavigationButton(this, "ButtonForward", QStringLiteral("Forward >"),
                                         QKeySequence::Forward, QStringLiteral("Next page"));
    ButtonContents =
        makeNavigationButton(this, "ButtonContents", QStringLiteral("Contents"),
                             QKeySequence(Qt::ALT | Qt::Key_Home), QStringLiteral("Contents page"));

    Browser = new QTextBrowser(this);
    Browser->setObjectName(QStringLiteral("Browser"));
    // Every page is compiled in; a link that leaves them would only show an empty page.
    Browser->setOpenExternalLinks(false);
    Browser->setSource(QUrl(QString::fromLatin1(kContentsPage)));

    ButtonBack->setEnabled(false);
    ButtonForward->setEnabled(false);
    connect(ButtonBack, &QToolButton::clicked, Browser, &QTextBrowser::backward);
    connect(ButtonForward, &QToolButton::clicked, Browser, &QTextBrowser::forward);
    connect(ButtonContents, &QToolButton::clicked, Browser, &QTextBrowser::home);
    connect(Browser, &QTextBrowser::backwardAvailable, ButtonBack, &QToolButton::setEnabled);
    connect(Browser, &QTextBrowser::forwardAvailable, ButtonForward, &QToolButton::setEnabled);

    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(ButtonBack);
    buttons->addWidget(ButtonForward);
    buttons->addWidget(ButtonContents);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addLayout(buttons);
    layout->addWidget(Browser, 1);

    resize(kInitialSize);
}
