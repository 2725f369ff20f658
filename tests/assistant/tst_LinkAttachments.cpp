#include "LoopbackHttpServer.h"
#include "LoopbackRequired.h"
#include "TestMain.h"
#include "assistant/AIProviderService.h"
#include "assistant/ContextAddress.h"

#include <array>
#include <sys/stat.h>

using Request = LoopbackHttpServer::Request;
using Response = LoopbackHttpServer::Response;

namespace {

const QString kInvalidLink = QStringLiteral("error: That link could not be read. Paste a full https URL.");
const QString kTooLarge = QStringLiteral("error: That attachment could not be read. The link is too large to use as context.");

QString describe(const AttachmentResult& result)
{
    if (const auto* error = std::get_if<AIServiceError>(&result))
        return "error: " + error->errorDescription();
    const auto& attachment = std::get<AIContextAttachment>(result);
    return AIContextKinds::rawValue(attachment.kind) + " | " + attachment.title + " | " + attachment.source + " | "
           + attachment.content;
}

// `data` as a gzip stream: zlib's deflate data between gzip's header and trailer.
QByteArray gzip(const QByteArray& data)
{
    const QByteArray zlib = qCompress(data).mid(4);
    static const auto table = [] {
        std::array<quint32, 256> entries{};
        for (quint32 index = 0; index < 256; ++index) {
            quint32 entry = index;
            for (int bit = 0; bit < 8; ++bit)
                entry = entry >> 1 ^ (entry & 1 ? 0xedb88320 : 0);
            entries[index] = entry;
        }
        return entries;
    }();
    quint32 crc = 0xffffffff;
    for (const char byte : data)
        crc = table[(crc ^ quint8(byte)) & 0xff] ^ crc >> 8;
    crc = ~crc;
    QByteArray stream("\x1f\x8b\x08\0\0\0\0\0\0\x03", 10);
    stream += zlib.mid(2, zlib.size() - 6);
    for (const quint32 value : {crc, quint32(data.size())}) {
        for (int shift = 0; shift < 32; shift += 8)
            stream += char(value >> shift);
    }
    return stream;
}

// A trusted loopback server, a second one nobody may reach, and a resolver that answers from a
// table and records every name it was asked.
struct LinkRig {
    LoopbackHttpServer server;
    LoopbackHttpServer forbidden;
    QHash<QString, QList<QHostAddress>> names;
    std::shared_ptr<QStringList> lookups = std::make_shared<QStringList>();
    std::unique_ptr<AIProviderService> service;

    explicit LinkRig(QStringList trustedHosts = {"127.0.0.1"}, int timeoutMs = 10'000, bool hasNetworkPath = true,
                     QList<QUrl> otherOrigins = {})
    {
        AIProviderService::Options options;
        for (const QString& host : trustedHosts)
            options.linkPolicy.trustedOrigins.append(QUrl(QStringLiteral("http://%1:%2").arg(host).arg(server.port())));
        options.linkPolicy.resolve = [this](const QString& host, QObject* context, auto done) {
            lookups->append(host);
            const QHostAddress literal(host);
            const QList<QHostAddress> addresses = literal.isNull() ? names.value(host) : QList<QHostAddress>{literal};
            QTimer::singleShot(0, context, [done, addresses] { done(addresses); });
        };
        options.linkTimeoutMs = timeoutMs;
        options.hasNetworkPath = [hasNetworkPath] { return hasNetworkPath; };
        options.linkPolicy.trustedOrigins.append(otherOrigins);
        service = std::make_unique<AIProviderService>(options);
    }

    QString at(const QString& path) const { return server.baseUrl().toString() + path; }

    QString fetch(const QString& link)
    {
        std::optional<AttachmentResult> result;
        service->fetchLinkAttachment(link, [&](const AttachmentResult& outcome) { result = outcome; });
        if (!QTest::qWaitFor([&] { return result.has_value(); }, 10'000))
            return "no answer";
        return describe(*result);
    }
};

} // namespace

class TestLinkAttachments : public QObject {
    Q_OBJECT
private slots:
    void privateHosts_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("refused");
        for (const char* host : {"localhost", "LOCALHOST.", "printer.local", "db.internal", "app.localhost", "10.1.2.3",
                                 "172.20.0.1", "100.100.1.1", "100.64.0.1", "169.254.1.1", "192.168.0.1", "127.0.0.1",
                                 "0.0.0.0", "239.1.1.1", "255.255.255.255", "::1", "[::1]", "::", "[fe80::1]",
                                 "febf::1", "fc00::1", "fd12::1", "ff02::1", "::ffff:192.168.0.1", "[::ffff:7f00:1]",
                                 "::127.0.0.1", "2130706433", "0x7f.1", "127.1", "0177.0.0.1", "0x7f000001",
                                 "127.0.0.01", "127.0.0.1.", "1.2.3.4.5", "8.8.8.010", "0X08.8.8.8", "::zz", "fec0::1",
                                 "[feff::1]", "::ffff:0:127.0.0.1", "[64:ff9b:1:0:a:0:15d:b8d8]"})
            QTest::newRow(host) << QString::fromLatin1(host) << true;
        for (const char* host : {"172.32.0.1", "100.128.0.1", "203.0.113.5", "172.15.255.255", "fcbarcelona.com",
                                 "fdic.gov", "fe80.example", "example.com", "[2001:db8::1]", "::ffff:203.0.113.5",
                                 "localhost.example", "8.8.8.8.", "::ffff:0:203.0.113.5"})
            QTest::newRow(host) << QString::fromLatin1(host) << false;
    }
    void privateHosts()
    {
        QFETCH(QString, host);
        QFETCH(bool, refused);
        QCOMPARE(ContextAddress::isPrivateHost(host), refused);
    }

    // What a host name resolves to is checked before connecting.
    void refusedAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("refused");
        for (const char* address : {"127.0.0.1", "127.8.9.1", "10.0.0.1", "172.16.0.1", "172.31.255.255", "192.168.1.1",
                                    "100.64.0.1", "100.127.255.255", "169.254.169.254", "0.0.0.0", "224.0.0.1",
                                    "255.255.255.255", "::", "::1", "fc00::1", "fdff::1", "fe80::1", "febf::1",
                                    "ff00::1", "::ffff:10.0.0.1", "::ffff:127.0.0.1", "::ffff:100.64.0.1", "fec0::1",
                                    "feff:ffff::1"})
            QTest::newRow(address) << QString::fromLatin1(address) << true;
        for (const char* address : {"93.184.216.34", "100.63.255.255", "100.128.0.0", "172.15.0.1", "172.32.0.1",
                                    "2606:4700::1", "fe7f::1", "::ffff:93.184.216.34"})
            QTest::newRow(address) << QString::fromLatin1(address) << false;
        // IPv6 forms that lead to an IPv4 address written inside them are judged by that address.
        // Teredo carries two: its server as written and its client inverted (93.184.216.34 inverted
        // is a247:27dd, 127.0.0.1 is 80ff:fffe).
        for (const auto& [form, address, refused] :
             {std::tuple{"NAT64 loopback", "64:ff9b::7f00:1", true}, {"NAT64 private, dotted", "64:ff9b::10.0.0.1", true},
              {"NAT64 link-local", "64:ff9b::a9fe:a9fe", true}, {"NAT64 public", "64:ff9b::5db8:d822", false},
              {"longer than NAT64's /96", "64:ff9b:0:0:1::7f00:1", false},
              {"IPv4-translated loopback", "::ffff:0:127.0.0.1", true}, {"IPv4-translated private", "::ffff:0:a00:1", true},
              {"IPv4-translated public", "::ffff:0:5db8:d822", false},
              // The local-use prefix places the address by the network's prefix length: /96, /64,
              // /56 and /48 in turn, the latter skipping bits 64 to 71; translators ignore those
              // bits and the suffix, so they may hold anything.
              {"local NAT64 /96 loopback", "64:ff9b:1::7f00:1", true},
              {"local NAT64 /96 of a subnet, private", "64:ff9b:1:abcd:1::c0a8:101", true},
              {"local NAT64 /64 loopback", "64:ff9b:1:0:7f:0:100:0", true},
              {"local NAT64 /56 private", "64:ff9b:1:a:0:1::", true},
              {"local NAT64 /48 private", "64:ff9b:1:c0a8:1:100::", true},
              {"local NAT64 /64 private, suffix set", "64:ff9b:1:0:a:0:15d:b8d8", true},
              {"local NAT64 /64 loopback, bits 64 to 71 set", "64:ff9b:1:0:ff7f:0:100:0", true},
              {"local NAT64 /56 private, both set", "64:ff9b:1:a:ff00:1ff:5db8:d822", true},
              {"local NAT64 /48 private, both set", "64:ff9b:1:c0a8:ff01:100:5db8:d822", true},
              {"local NAT64 public", "64:ff9b:1::5db8:d822", false},
              {"local NAT64 /96 of a subnet, public", "64:ff9b:1:abcd:1::5db8:d822", false},
              {"local NAT64 /64 public", "64:ff9b:1:0:5d:b8d8:2200:0", false},
              {"local NAT64 /48 public", "64:ff9b:1:5db8:d8:2200::", false},
              {"local NAT64 /64 public, suffix set", "64:ff9b:1:0:5d:b8d8:2201:203", false},
              {"beside local NAT64", "64:ff9b:2::7f00:1", false},
              {"6to4 loopback", "2002:7f00:1::1", true}, {"6to4 private", "2002:c0a8:101:5::1", true},
              {"6to4 unspecified", "2002::1", true}, {"6to4 public", "2002:5db8:d822::1", false},
              {"Teredo loopback client", "2001:0:5db8:d822::80ff:fffe", true},
              {"Teredo private client", "2001:0:5db8:d822:8000:1234:f5ff:fefe", true},
              {"Teredo private server", "2001:0:c0a8:101::a247:27dd", true},
              {"Teredo client not inverted", "2001:0:5db8:d822::7f00:1", false},
              {"Teredo public", "2001:0:5db8:d822:8000:1234:a247:27dd", false},
              {"beside Teredo", "2001:1::7f00:1", false}})
            QTest::newRow(form) << QString::fromLatin1(address) << refused;
    }
    void refusedAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, refused);
        QCOMPARE(ContextAddress::isRefusedAddress(QHostAddress(address)), refused);
    }

    // Every refused form is refused before its name is even looked up, so nothing is connected
    // to; the forms that mean this machine carry the loopback server's port, and it sees no
    // connection either.
    void refusedLinksNeverConnect_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("lookedUp"); // refused only after the name's addresses were checked
        QTest::newRow("plain http") << "http://example.com/a" << false;
        QTest::newRow("no scheme") << "example.com/a" << false;
        QTest::newRow("ftp") << "ftp://example.com/a" << false;
        QTest::newRow("blank") << " \n" << false;
        for (const char* host : {"localhost", "printer.local", "db.internal", "127.0.0.1", "127.0.0.2", "0.0.0.0",
                                 "10.1.2.3", "172.20.0.1", "100.100.1.1", "169.254.1.1", "239.1.1.1", "[::1]", "[::]",
                                 "[fe80::1]", "[ff02::1]", "[fd00::1]", "[::ffff:192.168.0.1]", "[::ffff:127.0.0.1]",
                                 "[64:ff9b::7f00:1]", "[64:ff9b:1::7f00:1]", "[64:ff9b:1:0:a:0:15d:b8d8]", "[2002:7f00:1::1]",
                                 "[2001:0:5db8:d822::80ff:fffe]", "[::ffff:0:127.0.0.1]", "[fec0::1]",
                                 "2130706433", "0x7f.1", "127.1", "0177.0.0.1", "0x7f.0.0.1", "%31%32%37.0.0.1"})
            QTest::newRow(host) << QStringLiteral("https://%1:PORT/page").arg(host) << false;
        QTest::newRow("name resolving to loopback") << "https://loop.test:PORT/" << true;
        QTest::newRow("name resolving to a mapped loopback") << "https://mapped.test:PORT/" << true;
        QTest::newRow("name with one loopback address among public ones") << "https://mixed.test:PORT/" << true;
        QTest::newRow("name resolving to the unspecified address") << "https://any.test:PORT/" << true;
        QTest::newRow("name resolving to an IPv4-translated loopback") << "https://translated.test:PORT/" << true;
        QTest::newRow("name resolving to a site-local address") << "https://site.test:PORT/" << true;
        QTest::newRow("name resolving to local NAT64 with a suffix") << "https://nat64.test:PORT/" << true;
    }
    void refusedLinksNeverConnect()
    {
        QFETCH(QString, link);
        QFETCH(bool, lookedUp);
        LinkRig rig(QStringList{});
        rig.names.insert("loop.test", {QHostAddress("127.0.0.1")});
        rig.names.insert("mapped.test", {QHostAddress("::ffff:127.0.0.1")});
        rig.names.insert("mixed.test", {QHostAddress("203.0.113.5"), QHostAddress("127.0.0.1")});
        rig.names.insert("any.test", {QHostAddress("0.0.0.0")});
        rig.names.insert("translated.test", {QHostAddress("::ffff:0:127.0.0.1")});
        rig.names.insert("site.test", {QHostAddress("fec0::1")});
        rig.names.insert("nat64.test", {QHostAddress("64:ff9b:1:0:a:0:15d:b8d8")});
        link.replace("PORT", QString::number(rig.server.port()));
        QCOMPARE(rig.fetch(link), kInvalidLink);
        QCOMPARE(rig.lookups->size(), lookedUp ? 1 : 0);
        QTest::qWait(20);
        QCOMPARE(rig.server.connections(), 0);
    }

    void pages_data()
    {
        QTest::addColumn<Response>("response");
        QTest::addColumn<QString>("result"); // LINK stands for the fetched address

        const QList<std::pair<QByteArray, QByteArray>> html{{"Content-Type", "Text/HTML; charset=utf-8"}};
        QTest::newRow("HTML page") << Response{200, "<html><script>var a=1;</script><h1>Title</h1>\r\n\r\n\r\n<p>A&amp;B&nbsp;&lt;c&gt;</p></html>", false, html}
                                   << "web | 127.0.0.1 | LINK | Title \n\n A&B <c>";
        QTest::newRow("plain text") << Response{200, "\tline\n", false, {{"Content-Type", "text/plain"}}}
                                    << "web | 127.0.0.1 | LINK | line";
        QTest::newRow("markup not declared HTML") << Response{200, "<b>bold</b>", false, {{"Content-Type", "text/markdown"}}}
                                                  << "web | 127.0.0.1 | LINK | <b>bold</b>";
        QTest::newRow("tags only") << Response{200, "<div> </div>", false, html}
                                   << "error: That attachment could not be read. No readable text was found at that link.";
        QTest::newRow("binary") << Response{200, QByteArray("\0\x01\x02\x03", 4)}
                                << "error: That attachment could not be read. No readable text was found at that link.";
        QTest::newRow("404 empty") << Response{404, ""} << "error: That attachment could not be read. HTTP 404";
        QTest::newRow("404 page") << Response{404, "\n<html><body>Not here</body></html>\n", false, html}
                                  << "error: That attachment could not be read. <html><body>Not here</body></html>";
        const QByteArray longPage = "<p>" + QByteArray(700, 'x') + "</p>";
        QTest::newRow("404 page longer than a chat error")
            << Response{404, longPage, false, html} << "error: That attachment could not be read. " + QString::fromLatin1(longPage);
        QTest::newRow("404 page longer than the clip")
            << Response{404, QByteArray(12'500, 'y'), false, html}
            << "error: That attachment could not be read. " + QString(12'000, u'y') + "\n\n[Context clipped by Quillmarsh]";
        QTest::newRow("500 JSON") << Response{500, R"({"error":{"message":"broken"}})"}
                                  << "error: That attachment could not be read. broken";
        QTest::newRow("302 without a location") << Response{302, ""} << "error: That attachment could not be read. HTTP 302";
        QTest::newRow("length over the limit, body never sent") << Response{200, "short", false, {{"Content-Length", "3000000"}}}
                                                                << kTooLarge;
        QTest::newRow("length at the limit") << Response{200, QByteArray(2 * 1024 * 1024, 'a')}
                                             << "web | 127.0.0.1 | LINK | " + QString(12'000, u'a') + "\n\n[Context clipped by Quillmarsh]";
        QTest::newRow("streamed past the limit") << Response{200, "", false, {}, 0, false, 8 * 1024 * 1024} << kTooLarge;
        // Qt reports a body it cannot decompress, or one that grows too far, and reads no further:
        // the connection stays open, the stream behind the body stalls, and the reply never ends.
        const QList<std::pair<QByteArray, QByteArray>> gzipped{{"Content-Type", "text/plain"}, {"Content-Encoding", "gzip"}};
        QTest::newRow("gzip") << Response{200, gzip("squeezed"), false, gzipped} << "web | 127.0.0.1 | LINK | squeezed";
        const QString unreadable = "error: That attachment could not be read. The page could not be read.";
        const qint64 endless = qint64(1) << 40;
        QTest::newRow("gzip growing past the limit")
            << Response{200, gzip(QByteArray(32 * 1024 * 1024, 'a')), false, gzipped, 0, false, endless} << unreadable;
        QTest::newRow("gzip corrupt")
            << Response{200, gzip("squeezed").left(10) + QByteArray(4096, '\xff'), false, gzipped, 0, false, endless}
            << unreadable;
        QTest::newRow("connection closed") << Response{200, "", false, {}, 0, true}
                                           << "error: No internet connection. Please check your network.";
    }
    void pages()
    {
        QM_REQUIRE_LOOPBACK();
        QFETCH(Response, response);
        QFETCH(QString, result);
        LinkRig rig;
        rig.server.answer(response);
        const QString link = rig.at("/page?q=1");
        QCOMPARE(rig.fetch(link), result.replace("LINK", link));
        // A connection closed without an answer is tried once more.
        QVERIFY(!rig.server.requests().isEmpty());
        const Request& request = rig.server.requests().first();
        QCOMPARE(request.method, "GET");
        QCOMPARE(request.target, "/page?q=1");
        QCOMPARE(request.headers.value("user-agent"), "Quillmarsh/1.0");
        // A stream is given up long before it ends, and well before 3 MiB went out.
        if (response.streamBytes)
            QVERIFY2(rig.server.bytesSent() < 3 * 1024 * 1024, qPrintable(QString::number(rig.server.bytesSent())));
    }

    // A name that does not resolve or a host that refuses: offline that is no connection, online the
    // link alone is at fault.
    void unreachable_data()
    {
        QTest::addColumn<QString>("link"); // CLOSED: a loopback port nothing listens on
        QTest::addColumn<bool>("hasNetworkPath");
        QTest::addColumn<QString>("result");
        const QString notFetched = "error: That attachment could not be read. The link could not be fetched.";
        const QString offline = "error: No internet connection. Please check your network.";
        QTest::newRow("unknown name, online") << "https://nowhere.test/" << true << notFetched;
        QTest::newRow("unknown name, offline") << "https://nowhere.test/" << false << offline;
        QTest::newRow("refused, online") << "http://127.0.0.1:CLOSED/" << true << notFetched;
        QTest::newRow("refused, offline") << "http://127.0.0.1:CLOSED/" << false << offline;
    }
    void unreachable()
    {
        QM_REQUIRE_LOOPBACK();
        QFETCH(QString, link);
        QFETCH(bool, hasNetworkPath);
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
        const QString closed = QStringLiteral("http://127.0.0.1:%1").arg(port);
        LinkRig rig({}, 10'000, hasNetworkPath, {QUrl(closed)});
        QTEST(rig.fetch(link.replace("CLOSED", QString::number(port))), "result");
    }

    // A redirect is followed only where a typed link could go; a refused target is never
    // connected to.
    void redirects_data()
    {
        QTest::addColumn<QString>("location"); // FORBIDDEN: the second server's port
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("requests");
        QTest::newRow("same server") << "/next" << "web | 127.0.0.1 | LINK | arrived" << 2;
        QTest::newRow("untrusted loopback port") << "http://127.0.0.1:FORBIDDEN/" << kInvalidLink << 1;
        QTest::newRow("https to loopback") << "https://127.0.0.1:FORBIDDEN/" << kInvalidLink << 1;
        QTest::newRow("localhost") << "https://localhost:FORBIDDEN/" << kInvalidLink << 1;
        QTest::newRow("decimal number") << "https://2130706433:FORBIDDEN/" << kInvalidLink << 1;
        QTest::newRow("hexadecimal parts") << "https://0x7f.1:FORBIDDEN/" << kInvalidLink << 1;
        QTest::newRow("mapped IPv6") << "https://[::ffff:127.0.0.1]:FORBIDDEN/" << kInvalidLink << 1;
        QTest::newRow("scheme-relative") << "//127.0.0.1:FORBIDDEN/" << kInvalidLink << 1;
        QTest::newRow("name resolving to loopback") << "https://loop.test:FORBIDDEN/" << kInvalidLink << 1;
        QTest::newRow("plain http elsewhere") << "http://example.com/" << kInvalidLink << 1;
        QTest::newRow("endless") << "/page" << "error: That attachment could not be read. The link could not be fetched." << 10;
    }
    void redirects()
    {
        QM_REQUIRE_LOOPBACK();
        QFETCH(QString, location);
        QFETCH(QString, result);
        QFETCH(int, requests);
        LinkRig rig;
        rig.names.insert("loop.test", {QHostAddress::LocalHost});
        location.replace("FORBIDDEN", QString::number(rig.forbidden.port()));
        rig.server.setHandler([location](const Request& request) {
            if (request.path == "/next")
                return Response{200, "arrived", false, {{"Content-Type", "text/plain"}}};
            return Response{302, "moved", false, {{"Location", location.toUtf8()}}};
        });
        rig.forbidden.answer({200, "should never be read"});
        const QString link = rig.at("/page");
        QCOMPARE(rig.fetch(link), result.replace("LINK", link));
        QCOMPARE(rig.server.requests().size(), requests);
        QTest::qWait(20);
        QCOMPARE(rig.forbidden.connections(), 0);
    }

    // The connection goes to the address that was checked, with the site's name in Host; the
    // attachment is named after the link, GitHub's hosts giving the github kind.
    void connectsToTheCheckedAddress_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("kind");
        QTest::newRow("web site") << "docs.example" << "web";
        QTest::newRow("GitHub raw files") << "raw.githubusercontent.com.test" << "github";
    }
    void connectsToTheCheckedAddress()
    {
        QM_REQUIRE_LOOPBACK();
        QFETCH(QString, host);
        QFETCH(QString, kind);
        LinkRig rig({host});
        rig.names.insert(host, {QHostAddress::LocalHost});
        rig.server.answer({200, "text", false, {{"Content-Type", "text/plain"}}});
        const QString link = QStringLiteral("http://%1:%2/f.md").arg(host).arg(rig.server.port());
        QCOMPARE(rig.fetch(link), kind + " | " + host + " | " + link + " | text");
        QCOMPARE(*rig.lookups, QStringList{host});
        QCOMPARE(rig.server.requests().size(), 1);
        QCOMPARE(QString::fromLatin1(rig.server.requests().first().headers.value("host")),
                 host + ":" + QString::number(rig.server.port()));
    }

    void slowPageTimesOut()
    {
        QM_REQUIRE_LOOPBACK();
        LinkRig rig({"127.0.0.1"}, 100);
        rig.server.answer(Response{200, "late", false, {}, 400});
        QCOMPARE(rig.fetch(rig.at("/slow")), "error: The request timed out. Please try again.");
    }

    // Reading happens on a worker: a pipe that is fed only after the call returned still loads.
    void filesAreReadOffTheMainThread()
    {
        QTemporaryDir folder;
        const QString path = folder.path() + "/notes.txt";
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        AIProviderService service;
        std::optional<AttachmentResult> result;
        service.loadFileAttachment(path, [&](const AttachmentResult& outcome) { result = outcome; });
        QFile pipe(path);
        QVERIFY(pipe.open(QIODevice::WriteOnly));
        pipe.write("from the pipe\n");
        pipe.close();
        QVERIFY(QTest::qWaitFor([&] { return result.has_value(); }, 10'000));
        const auto* attachment = std::get_if<AIContextAttachment>(&*result);
        QVERIFY(attachment);
        QCOMPARE(attachment->content, "from the pipe");
        QCOMPARE(attachment->kind, AIContextKind::file);
    }
};

QM_TEST_MAIN(TestLinkAttachments)
#include "tst_LinkAttachments.moc"
