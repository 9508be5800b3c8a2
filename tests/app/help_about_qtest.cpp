// The About box, the help window with its pages, and the program icon.
#include "app/AppIcon.h"
#include "app/DHelpAboutDialog.h"
#include "app/DHelpWindow.h"
#include "support/QtTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

namespace {

QString resourceText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Collects the warnings QTextBrowser gives for a source it cannot load.
QStringList browserWarnings;
void collectWarnings(QtMsgType, const QMessageLogContext&, const QString& message) {
    browserWarnings << message;
}

} // namespace

class HelpAboutTest : public QObject {
    Q_OBJECT

private slots:
    void aboutShowsCaptionIconAndTheFiveLinesUnclipped() {
        DHelpAboutDialog about(nullptr);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(about.windowTitle(), QStringLiteral("About Amplix 32"));
        QVERIFY(about.isModal());
        QCOMPARE(about.minimumSize(), about.maximumSize());

        QList<QLabel*> labels;
        for (QLabel* label : about.findChildren<QLabel*>())
            if (!label->text().isEmpty())
                labels << label;
        std::sort(labels.begin(), labels.end(), [](QLabel* a, QLabel* b) { return a->y() < b->y(); });
        QStringList lines;
        for (QLabel* label : labels) {
            lines << label->text();
            const QString clipped = testsupport::textClipping(label, label->text());
            QVERIFY2(clipped.isEmpty(), qPrintable(clipped));
            QVERIFY2(about.rect().contains(label->geometry()), qPrintable(label->text()));
            // The icon stands beside the text, not under it.
            QVERIFY(!label->geometry().intersects(about.StaticIcon->geometry()));
        }
        QCOMPARE(lines, (QStringList{"Amplix 32", "Windows POD editor", "Version 4.5c",
                                     "Editor and librarian for the POD 2, Flextone II and POD Pro",
                                     "Copyright (c) 2026 the Amplix 32 developers"}));
        QVERIFY(about.StaticIcon->pixmap().width() >= 16);
        QVERIFY(about.rect().contains(about.StaticIcon->geometry()));
        QVERIFY(about.rect().contains(about.ButtonOk->geometry()));
        QCOMPARE(about.ButtonOk->text(), QStringLiteral("OK"));
        QVERIFY(about.ButtonOk->isDefault());
        QVERIFY(testsupport::textClipping(about.ButtonOk, about.ButtonOk->text()).isEmpty());
    }

    void aboutClosesWithOkByClickOrEnter() {
        for (bool click : {true, false}) {
            DHelpAboutDialog about(nullptr);
            bool seen = false;
            testsupport::whenModalOpens([&](QWidget* dialog) {
                seen = dialog == &about;
                click ? QTest::mouseClick(about.ButtonOk, Qt::LeftButton)
                      : QTest::keyClick(dialog, Qt::Key_Return);
            });
            // Should OK fail to close it, the test fails instead of hanging.
            QTimer::singleShot(5000, &about, &QDialog::reject);
            QCOMPARE(about.exec(), int(QDialog::Accepted));
            QVERIFY(seen);
        }
    }

    // Every size is a real drawing: transparent corners, an opaque body. The resources are there
    // without initialisation, though this executable only links the GUI library.
    void iconHasEverySize() {
        const QIcon icon = amplixIcon();
        for (int size : kAmplixIconSizes) {
            QVERIFY(icon.availableSizes().contains(QSize(size, size)));
            const QImage drawing(QStringLiteral(":/icons/amplix32-%1.png").arg(size));
            QCOMPARE(drawing.size(), QSize(size, size));
            QVERIFY(drawing.hasAlphaChannel());
            QCOMPARE(qAlpha(drawing.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(drawing.pixel(size / 2, size * 3 / 4)), 255);
        }
        QVERIFY(QFile::exists(QStringLiteral(":/help/help.css")));
    }

    // A captioned top-level window of the frame, opening on the contents page.
    void helpWindowNavigates() {
        QWidget frame;
        frame.show();
        auto* help = new DHelpWindow(&frame);
        help->show();
        QApplication::setActiveWindow(help);
        QVERIFY(QTest::qWaitForWindowActive(help));
        QCOMPARE(help->windowTitle(), QStringLiteral("Amplix 32 Help"));
        QVERIFY(help->isWindow());
        QCOMPARE(help->parentWidget(), &frame);
        QVERIFY(help->width() >= 600 && help->height() >= 500);
        QVERIFY(!help->windowIcon().isNull());
        QTextBrowser* browser = help->Browser;
        QCOMPARE(browser->source(), QUrl(QStringLiteral("qrc:/help/index.html")));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Amplix 32 is an editor and librarian")));
        browser->setFocus();
        QVERIFY(!help->ButtonBack->isEnabled());
        QVERIFY(!help->ButtonForward->isEnabled());

        browser->setSource(browser->source().resolved(QUrl(QStringLiteral("effects.html#which"))));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Which effect shows which window")));
        QVERIFY(help->ButtonBack->isEnabled());
        QTest::mouseClick(help->ButtonBack, Qt::LeftButton);
        QCOMPARE(browser->source().fileName(), QStringLiteral("index.html"));
        QVERIFY(help->ButtonForward->isEnabled());

        // A button's shortcut clicks it the way a mouse would, after a short visible press.
        for (auto [key, page] : {std::pair{Qt::Key_Right, "effects.html"},
                                 {Qt::Key_Left, "index.html"},
                                 {Qt::Key_Right, "effects.html"}}) {
            QTest::keyClick(browser, key, Qt::AltModifier);
            QTRY_COMPARE(browser->source().fileName(), QString::fromLatin1(page));
        }
        QTest::mouseClick(help->ButtonContents, Qt::LeftButton);
        QCOMPARE(browser->source().fileName(), QStringLiteral("index.html"));

        QPointer<DHelpWindow> watch = help;
        QTest::keyClick(browser, Qt::Key_Escape);
        QTRY_VERIFY(watch.isNull());
    }

    void everyLinkOfEveryPageResolves() {
        static const QRegularExpression href(QStringLiteral("href\\s*=\\s*\"([^\"]*)\""),
                                             QRegularExpression::CaseInsensitiveOption);
        const QStringList pages =
            QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}, QDir::Files);
        QVERIFY(pages.size() >= 8);
        QTextBrowser browser;
        QSet<QString> reached{QStringLiteral("index.html")};
        QStringList queue{QStringLiteral("index.html")};
        int links = 0;
        browserWarnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
        while (!queue.isEmpty()) {
            const QString page = queue.takeFirst();
            const QUrl base(QStringLiteral("qrc:/help/") + page);
            const QString html = resourceText(QStringLiteral(":/help/") + page);
            QVERIFY2(!html.isEmpty(), qPrintable(page));
            for (auto match = href.globalMatch(html); match.hasNext(); ++links) {
                const QString link = match.next().captured(1);
                const QUrl target = base.resolved(QUrl(link));
                const QString where = page + QStringLiteral(" -> ") + link;
                QVERIFY2(target.scheme() == QLatin1String("qrc"), qPrintable(where));
                QVERIFY2(QFile::exists(QLatin1Char(':') + target.path()), qPrintable(where));
                if (!target.fragment().isEmpty())
                    QVERIFY2(resourceText(QLatin1Char(':') + target.path())
                                 .contains(QStringLiteral("name=\"%1\"").arg(target.fragment())),
                             qPrintable(where));
                const QString name = target.fileName();
                if (name.endsWith(QLatin1String(".html")) && !reached.contains(name)) {
                    reached.insert(name);
                    queue << name;
                }
            }
            // The browser itself must open the page as a link would take it there.
            browser.setSource(base);
            QVERIFY2(!browser.toPlainText().trimmed().isEmpty(), qPrintable(page));
        }
        qInstallMessageHandler(previous);
        QVERIFY2(browserWarnings.isEmpty(), qPrintable(browserWarnings.join(QLatin1Char('\n'))));
        QVERIFY(links > 50);
        // No page is an orphan: every one is reachable from the contents page.
        for (const QString& page : pages)
            QVERIFY2(reached.contains(page), qPrintable(page));
        const QString menus = resourceText(QStringLiteral(":/help/menus.html"));
        for (const char* command : {"Open...", "Save...", "Save All...", "Import...", "Read POD settings",
                                    "Recent Files", "Exit", "Manual Mode", "Bank 1", "Bank 2 ... Bank 9",
                                    "Midi Setup", "Link Amp Model", "Help Topics", "About..."})
            QVERIFY2(menus.contains(QStringLiteral("<td class=\"ui\">%1</td>").arg(command)), command);
    }
};

QTEST_MAIN(HelpAboutTest)
#include "help_about_qtest.moc"
