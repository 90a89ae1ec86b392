// The program catalog window: the catalog shown sorted, searched and re-sorted by a title
// click; its links opened only when they are web or mail addresses; the refresh from a local
// HTTP server that replaces the catalog only after a complete, well-formed download.
#include "demowindow.h"
#include "modaldriver.h"
#include "tools/catalog.h"
#include "ui/tools/frm_programok.h"

#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

using namespace kartevo;
using namespace kartevo::test;

namespace {

// A one-file web server on 127.0.0.1: answers every request with the response set, or with the
// first part of it only (a connection broken off).
class LocalServer final : public QObject {
    Q_OBJECT
public:
    LocalServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    QString url() const { return QStringLiteral("http://127.0.0.1:%1/programok/programok.csv").arg(m_server.serverPort()); }

    QByteArray status = "200 OK";
    QByteArray body;
    qsizetype sendOnly = -1; // bytes of the body actually sent; -1: all
    QByteArray headers;       // more header lines, each ending in CR LF
    int dripMs = 0;           // when set, the body goes out one byte at a time with this pause
    QByteArray request;

private:
    void answer(QTcpSocket *socket)
    {
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        QByteArray response = "HTTP/1.1 " + status + "\r\nContent-Type: text/csv\r\nContent-Length: "
            + QByteArray::number(body.size()) + "\r\n" + headers + "Connection: close\r\n\r\n";
        if (dripMs > 0) {
            socket->write(response);
            auto *timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, [socket, this, sent = qsizetype(0)]() mutable {
                if (sent < body.size())
                    socket->write(body.mid(sent++, 1));
            });
            timer->start(dripMs);
            return;
        }
        response += sendOnly >= 0 ? body.left(sendOnly) : body;
        socket->write(response);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
};

// Records the addresses the desktop would open.
class UrlRecorder final : public QObject {
    Q_OBJECT
public:
    QStringList opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url.toString()); }
};

CatalogRow Row(qint64 key, const QString &name, const QString &category, const QString &free = QStringLiteral("N"))
{
    CatalogRow row;
    row.programok = key;
    row.programok_nev = name;
    row.link = QStringLiteral("https://www.example.com/%1/").arg(key);
    row.letoltlink = QStringLiteral("https://www.example.com/letoltes/%1.zip").arg(key);
    row.kategoria = category;
    row.ingyenes = free;
    row.leiras = QStringLiteral("A(z) %1 leírása, ").arg(name).repeated(12);
    return row;
}

QList<CatalogRow> OldRows()
{
    return {Row(1, QStringLiteral("zeta"), QStringLiteral("Iroda")), Row(2, QStringLiteral("Kapu"), QStringLiteral("Pénzügy")),
            Row(3, QStringLiteral("alfa"), QStringLiteral("Raktár"), QStringLiteral("I")),
            Row(4, QStringLiteral("kert"), QStringLiteral("Iroda"))};
}

QList<CatalogRow> NewRows()
{
    return {Row(7, QStringLiteral("Új program"), QStringLiteral("Iroda")), Row(8, QStringLiteral("Another"), QStringLiteral("Iroda"))};
}

// The catalog window over a catalog file in the demo data folder, shown and active.
struct Catalog {
    DemoWindow demo;
    QString file;
    std::unique_ptr<Tfrm_Programok> window;

    explicit Catalog(const QList<CatalogRow> &rows = OldRows())
    {
        file = CatalogFileName(demo.folders);
        WriteBytes(file, FormatCatalog(rows));
        window = std::make_unique<Tfrm_Programok>(nullptr, demo.w().session());
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the catalog did not become active");
    }
    Tfrm_Programok &w() { return *window; }
    QStringList names()
    {
        QStringList names;
        QAbstractItemModel *model = w().DBGrid1->model();
        for (int row = 0; row < model->rowCount(); ++row)
            names.append(model->index(row, 0).data().toString());
        return names;
    }
    QString current() { return w().table().asString(QStringLiteral("programok_nev")); }
};

} // namespace

class TestProgramok : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { qunsetenv("KARTEVO_CATALOG_URL"); }

    // Opened sorted by name; a letter typed on the grid searches from the box; a title click
    // sorts by that column and makes it the search field; the panel shows the current row.
    void sortAndSearch()
    {
        Catalog c;
        QCOMPARE(c.names(), (QStringList{QStringLiteral("alfa"), QStringLiteral("Kapu"), QStringLiteral("kert"), QStringLiteral("zeta")}));
        QCOMPARE(c.w().DBGrid1->model()->index(0, 3).data().toString(), QStringLiteral("I"));
        c.w().DBGrid1->setFocus();
        QTest::keyClick(c.w().DBGrid1, Qt::Key_K);
        QCOMPARE(c.w().Edit1->text(), QStringLiteral("k"));
        QVERIFY(c.w().Edit1->hasFocus());
        QCOMPARE(c.current(), QStringLiteral("Kapu"));
        QTest::keyClicks(c.w().Edit1, QStringLiteral("E"));
        QCOMPARE(c.current(), QStringLiteral("kert"));
        QCOMPARE(c.w().LinkHonlap->text(), QStringLiteral("https://www.example.com/4/"));
        QCOMPARE(c.w().DBMemo1->toPlainText(), Row(4, QStringLiteral("kert"), {}).leiras);
        QTest::keyClick(c.w().Edit1, Qt::Key_Down);
        QVERIFY(c.w().DBGrid1->hasFocus());

        QHeaderView *header = c.w().DBGrid1->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
        QCOMPARE(c.w().searchField(), QStringLiteral("kategoria"));
        QCOMPARE(c.names(), (QStringList{QStringLiteral("kert"), QStringLiteral("zeta"), QStringLiteral("Kapu"), QStringLiteral("alfa")}));
        QCOMPARE(c.current(), QStringLiteral("kert"));
        QVERIFY(c.w().Edit1->hasFocus());
        QTest::keyClicks(c.w().Edit1, QStringLiteral("r"));
        QCOMPARE(c.current(), QStringLiteral("alfa"));
    }

    // Only web and mail addresses are opened; anything else is refused with a message.
    // A catalog's links are shown as their text: markup in them (a huge picture, a link whose
    // text hides another address) is never rendered.
    void linksShownAsPlainText()
    {
        QList<CatalogRow> rows = OldRows();
        rows[0].link = QStringLiteral("<a href=\"javascript:x\">https://safe.example</a>");
        Catalog c(rows);
        QCOMPARE(c.w().LinkHonlap->textFormat(), Qt::PlainText);
        QCOMPARE(c.w().LinkLetolt->textFormat(), Qt::PlainText);
    }

    void links()
    {
        UrlRecorder recorder;
        for (const char *scheme : {"http", "https", "mailto", "file"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), &recorder, "open");
        QList<CatalogRow> rows = OldRows();
        rows[2].link = QStringLiteral("file:///etc/passwd");
        rows[2].letoltlink = QStringLiteral("mailto:info@example.com");
        Catalog c(rows);
        QCOMPARE(c.current(), QStringLiteral("alfa"));
        QTest::keyClick(c.w().DBGrid1, Qt::Key_Return);
        QCOMPARE(c.demo.prompter.errors, QStringList{QStringLiteral("Ez a cím nem nyitható meg: file:///etc/passwd")});
        QTest::keyClick(c.w().DBGrid1, Qt::Key_F4);
        c.w().table().moveTo(1);
        QTest::mouseClick(c.w().LinkHonlap, Qt::LeftButton);
        QCOMPARE(recorder.opened, (QStringList{QStringLiteral("mailto:info@example.com"), QStringLiteral("https://www.example.com/2/")}));
        for (const char *scheme : {"http", "https", "mailto", "file"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }

    // A complete download replaces the catalog and shows its rows in the file's order; a
    // failed one keeps the old catalog, in its file and in the window.
    void refresh_data()
    {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("sendOnly");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("error");
        const QByteArray good = FormatCatalog(NewRows());
        const QString download = CatalogDownloadErrorText();
        QTest::newRow("complete") << QByteArray("200 OK") << good << -1 << false << QString();
        QTest::newRow("404") << QByteArray("404 Not Found") << QByteArray("nincs") << -1 << false
                             << QStringLiteral("A kiszolgáló hibával válaszolt: HTTP 404 Not Found");
        QTest::newRow("500") << QByteArray("500 Internal Server Error") << QByteArray("hiba") << -1 << false
                             << QStringLiteral("A kiszolgáló hibával válaszolt: HTTP 500 Internal Server Error");
        QTest::newRow("connection refused") << QByteArray("200 OK") << good << -1 << true << download;
        QTest::newRow("truncated body") << QByteArray("200 OK") << good << int(good.size() / 2) << false
                                        << QStringLiteral("A letöltés félbeszakadt: %1 bájt érkezett a bejelentett %2 helyett.")
                                               .arg(good.size() / 2)
                                               .arg(good.size());
        QTest::newRow("not a catalog") << QByteArray("200 OK") << QByteArray("<html>hiba</html>") << -1 << false
                                       << QStringLiteral("A programlista hibás (1. sor): hiányzik a(z) programok oszlop");
    }
    void refresh()
    {
        QFETCH(QByteArray, status);
        QFETCH(QByteArray, body);
        QFETCH(int, sendOnly);
        QFETCH(bool, refused);
        QFETCH(QString, error);
        LocalServer server;
        server.status = status;
        server.body = body;
        server.sendOnly = sendOnly;
        QString url = server.url();
        if (refused) {
            QTcpServer closed;
            closed.listen(QHostAddress::LocalHost);
            url = QStringLiteral("http://127.0.0.1:%1/programok/programok.csv").arg(closed.serverPort());
        }
        qputenv("KARTEVO_CATALOG_URL", url.toUtf8());
        Catalog c;
        const QByteArray old = ReadBytes(c.file);
        QTest::keyClick(c.w().DBGrid1, Qt::Key_F5);
        QVERIFY(!c.w().ProgressBar1->isVisible());
        if (error.isEmpty()) {
            QCOMPARE(c.demo.prompter.infos, QStringList{QStringLiteral("Lista frissítése kész.")});
            QCOMPARE(ReadBytes(c.file), body);
            QCOMPARE(c.names(), (QStringList{QStringLiteral("Új program"), QStringLiteral("Another")}));
            QVERIFY(server.request.startsWith("GET /programok/programok.csv HTTP/1.1\r\n"));
            QVERIFY(server.request.contains("\r\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"));
            QVERIFY(server.request.contains("\r\nAccept: text/html, */*\r\n"));
        } else {
            QCOMPARE(c.demo.prompter.errors, QStringList{error});
            QCOMPARE(ReadBytes(c.file), old);
            QCOMPARE(c.names().size(), 4);
        }
        // Nothing is left beside the catalog.
        QVERIFY(QDir(c.demo.folders.DataFolder).entryList({QStringLiteral("*programok.csv*")}, QDir::Files | QDir::Hidden)
                == QStringList{QStringLiteral("programok.csv")});
    }

    // A redirect to itself ends with its own message, not "unreachable".
    void redirectLoop()
    {
        LocalServer server;
        server.status = "302 Found";
        server.headers = "Location: " + server.url().toUtf8() + "\r\n";
        qputenv("KARTEVO_CATALOG_URL", server.url().toUtf8());
        Catalog c;
        QTest::keyClick(c.w().DBGrid1, Qt::Key_F5);
        QCOMPARE(c.demo.prompter.errors.size(), 1);
        QVERIFY2(c.demo.prompter.errors.first().contains(QStringLiteral("túl sokszor irányított át")),
                 qPrintable(c.demo.prompter.errors.first()));
    }

    // A server that sends a byte now and then: the whole download has a deadline, the window
    // answers meanwhile, and its "Mégsem" or its closing stops the download at once.
    void slowServer_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("deadline") << QStringLiteral("deadline");
        QTest::newRow("cancel button") << QStringLiteral("cancel");
        QTest::newRow("window closed") << QStringLiteral("close");
    }
    void slowServer()
    {
        QFETCH(QString, how);
        LocalServer server;
        server.body = FormatCatalog(NewRows());
        server.dripMs = 100;
        qputenv("KARTEVO_CATALOG_URL", server.url().toUtf8());
        Catalog c;
        const QByteArray old = ReadBytes(c.file);
        c.w().setFetchDeadline(how == QLatin1String("deadline") ? 1500 : 60000);
        if (how != QLatin1String("deadline")) {
            QTimer::singleShot(800, &c.w(), [&] {
                QVERIFY(c.w().btnMegsem->isVisible());
                if (how == QLatin1String("cancel"))
                    QTest::mouseClick(c.w().btnMegsem, Qt::LeftButton);
                else
                    c.w().reject();
            });
        }
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(c.w().DBGrid1, Qt::Key_F5);
        QVERIFY(clock.elapsed() < 20000);
        QVERIFY(!c.w().btnMegsem->isVisible());
        QCOMPARE(ReadBytes(c.file), old);
        if (how == QLatin1String("deadline")) {
            QCOMPARE(c.demo.prompter.errors.size(), 1);
            QVERIFY2(c.demo.prompter.errors.first().contains(QStringLiteral("másodperc alatt sem fejeződött be")),
                     qPrintable(c.demo.prompter.errors.first()));
        } else {
            QVERIFY(c.demo.prompter.errors.isEmpty());
        }
        QCOMPARE(c.w().isVisible(), how != QLatin1String("close"));
    }

    // The first opening takes the catalog shipped with the installation; without any catalog the
    // window does not open and says why.
    void openedFromTheClientList()
    {
        DemoWindow demo;
        QVERIFY(demo.w().action(QStringLiteral("aProgram"))->isEnabled());
        demo.trigger("aProgram");
        QCOMPARE(demo.prompter.errors.size(), 1);
        QVERIFY(demo.prompter.errors.first().contains(QStringLiteral("programok.csv")));

        QVERIFY(QFile::copy(QStringLiteral(KARTEVO_BUILD_SHARE_DIR "/programok.csv"),
                            demo.inst.share() + QStringLiteral("/programok.csv")));
        int rows = 0;
        QString opened;
        WhenModal([&](QWidget *window) {
            opened = window->objectName() + u'|' + window->windowTitle();
            rows = static_cast<Tfrm_Programok *>(window)->DBGrid1->model()->rowCount();
            QTest::keyClick(window, Qt::Key_Escape);
        });
        demo.trigger("aProgram");
        QCOMPARE(opened, QStringLiteral("frm_Programok|További programok"));
        QVERIFY(rows >= 3);
    }
};

QTEST_MAIN(TestProgramok)
#include "tst_programok.moc"
