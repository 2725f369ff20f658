#include "TestMain.h"
#include "assistant/ContextAddress.h"
#include "assistant/ContextText.h"
#include "assistant/FileAttachmentReader.h"

namespace {

// A family emoji: five code points, eight UTF-16 units, one character on screen.
const QString kFamily = QString::fromUtf8("\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7");

QString describe(const AttachmentResult& result)
{
    if (const auto* error = std::get_if<AIServiceError>(&result))
        return "error: " + error->errorDescription();
    const auto& attachment = std::get<AIContextAttachment>(result);
    return attachment.title + " | " + attachment.source + " | " + attachment.excerpt + " | " + attachment.content;
}

QByteArray utf16le(const QString& text)
{
    return QByteArray("\xff\xfe") + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

} // namespace

class TestContextText : public QObject {
    Q_OBJECT
private slots:
    void normalizing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("normalized");
        QTest::newRow("CR LF makes a blank line") << "a\r\nb" << "a\n\nb";
        QTest::newRow("lone CR") << "a\rb" << "a\nb";
        QTest::newRow("tab") << "\ta\tb" << "a    b";
        QTest::newRow("five line feeds") << "a\n\n\n\n\nb" << "a\n\nb";
        QTest::newRow("two line feeds stay") << "a\n\nb" << "a\n\nb";
        QTest::newRow("trimmed") << " \n a \n " << "a";
    }
    void normalizing()
    {
        QFETCH(QString, text);
        QFETCH(QString, normalized);
        QCOMPARE(ContextText::normalized(text), normalized);
    }

    void clipping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("content");
        const QString full(12'000, u'a');
        QTest::newRow("12,000 whole") << full << full;
        QTest::newRow("12,001 clipped") << full + "b" << full + ContextText::kClipMarker;
        const QString head = QString(11'999, u'a') + kFamily;
        QTest::newRow("emoji as the 12,000th character") << head << head;
        QTest::newRow("emoji kept whole at the cut") << head + "b" << head + ContextText::kClipMarker;
    }
    void clipping()
    {
        QFETCH(QString, text);
        QFETCH(QString, content);
        QCOMPARE(ContextText::clipped(text), content);
    }

    void excerpts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("excerpt");
        QTest::newRow("140 stays") << QString(140, u'x') << QString(140, u'x');
        QTest::newRow("141 cut") << QString(141, u'x') << QString(140, u'x') + "...";
        QTest::newRow("white space collapsed first") << "a \n\n\t b" + QString(137, u'x') << "a b" + QString(137, u'x');
        QTest::newRow("emoji counted once") << QString(139, u'x') + kFamily + "y" << QString(139, u'x') + kFamily + "...";
    }
    void excerpts()
    {
        QFETCH(QString, text);
        QFETCH(QString, excerpt);
        QCOMPARE(ContextText::excerpt(text), excerpt);
    }

    void decoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("truncated");
        QTest::addColumn<QString>("text"); // "-": no text
        QTest::newRow("UTF-8") << QByteArray("h\xc3\xa9llo") << false << "héllo";
        QTest::newRow("UTF-8 byte-order mark") << QByteArray("\xef\xbb\xbfhi") << false << "hi";
        QTest::newRow("blank UTF-8 kept") << QByteArray("  \n") << false << "  \n";
        QTest::newRow("UTF-16 LE with mark") << QByteArray("\xff\xfeh\0i\0", 6) << false << "hi";
        QTest::newRow("UTF-16 BE with mark") << QByteArray("\xfe\xff\0h\0i", 6) << false << "hi";
        QTest::newRow("UTF-16 LE without mark") << QByteArray("h\0i\0", 4) << false << "hi";
        QTest::newRow("UTF-16 BE without mark") << QByteArray("\0h\0i", 4) << false << "hi";
        QTest::newRow("Latin-1") << QByteArray("caf\xe9") << false << "café";
        QTest::newRow("Latin-1 pairs are not UTF-16") << QByteArray("ab\xe9z") << false << "ab\u00e9z";
        QTest::newRow("UTF-16 with a stray control") << QByteArray("h\0\x01\0", 4) << false << "-";
        QTest::newRow("binary with NULs") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << false << "-";
        QTest::newRow("UTF-8 with a NUL") << QByteArray("a\0b", 3) << false << "-";
        QTest::newRow("empty") << QByteArray() << false << "-";
        QTest::newRow("cut inside a character") << QByteArray("caf\xc3") << true << "caf";
        QTest::newRow("same bytes whole") << QByteArray("caf\xc3") << false << "caf\u00c3";
        QTest::newRow("UTF-16 lone high surrogate") << QByteArray("\xff\xfe" "a\0\x3d\xd8" "b\0", 8) << false
                                                    << "a\ufffdb";
        QTest::newRow("UTF-16 lone low surrogate last") << QByteArray("a\0\x00\xde", 4) << false << "a\ufffd";
        QTest::newRow("UTF-16 pair kept") << QByteArray("\xfe\xff\xd8\x3d\xde\x00", 6) << false
                                          << QString(QChar(0xD83D)) + QChar(0xDE00);
    }
    void decoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, truncated);
        QFETCH(QString, text);
        QCOMPARE(ContextText::decodeText(bytes, truncated).value_or("-"), text);
    }

    void html_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("text");
        QTest::newRow("tags become spaces") << "<p>Hello<br/>there</p>" << " Hello there ";
        QTest::newRow("script and style dropped") << "a<SCRIPT>x<y>\n</script>b<style type=\"t\">p{}</STYLE>c" << "a b c";
        QTest::newRow("entities") << "&nbsp;&lt;&gt;&quot;&#39;" << " <>\"'";
        QTest::newRow("escaped twice") << "&amp;lt;" << "<";
        QTest::newRow("ampersand escaped thrice") << "&amp;amp;" << "&amp;";
        QTest::newRow("other entities stay") << "&copy; &LT;" << "&copy; &LT;";
    }
    void html()
    {
        QFETCH(QString, html);
        QFETCH(QString, text);
        QCOMPARE(ContextText::stripHTML(html), text);
    }

    void githubRewrite_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("fetched");
        QTest::newRow("file under blob") << " https://GitHub.com/owner/repo/blob/main/src/a.py?plain=1#L3 "
                                         << "https://raw.githubusercontent.com/owner/repo/main/src/a.py";
        QTest::newRow("tree unchanged") << "https://github.com/owner/repo/tree/main/src/a"
                                        << "https://github.com/owner/repo/tree/main/src/a";
        QTest::newRow("four segments unchanged") << "https://github.com/owner/repo/blob/main"
                                                 << "https://github.com/owner/repo/blob/main";
        QTest::newRow("other host keeps query") << "https://gist.github.com/u/1/blob/x/y?a=1#f"
                                                << "https://gist.github.com/u/1/blob/x/y?a=1#f";
    }
    void githubRewrite()
    {
        QFETCH(QString, typed);
        QFETCH(QString, fetched);
        const auto url = ContextAddress::normalizedContextURL(typed);
        QVERIFY(url);
        QCOMPARE(url->toString(), fetched);
        QVERIFY(ContextAddress::isGitHubHost(url->host()));
    }

    void files_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("result");
        QTest::newRow("upper-case extension") << "notes.MD" << QByteArray("# Notes\r\n\tdone") << "notes.MD | notes.MD | # Notes done | # Notes\n\n    done";
        // Every clean-up step still applies around a half of an emoji, which is shown as U+FFFD.
        QTest::newRow("UTF-16 with an unpaired surrogate")
            << "half.txt" << utf16le(QString("one\r\n\r\n\r\ntwo ") + QChar(0xD83D) + "\t3")
            << "half.txt | half.txt | one two \ufffd 3 | one\n\ntwo \ufffd    3";
        QTest::newRow("no extension") << "README" << QByteArray("text") << "README | README | text | text";
        QTest::newRow("picture") << "photo.png" << QByteArray("text")
                                 << "error: Attach text, code, markdown, JSON, CSV, log, or HTML files for AI context.";
        QTest::newRow("zero bytes") << "empty.txt" << QByteArray() << "error: That attachment could not be read. The file is empty.";
        QTest::newRow("blank") << "blank.txt" << QByteArray(" \r\n\t") << "error: That attachment could not be read. The file is empty.";
        QTest::newRow("binary") << "data.log" << QByteArray("\0\x01\x02\x03", 4)
                                << "error: That attachment could not be read. The file is not readable as text.";
        QTest::newRow("missing") << "" << QByteArray()
                                 << "error: That attachment could not be read. Check that the file still exists and can be opened.";
    }
    void files()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, result);
        QTemporaryDir folder;
        QString path = folder.path() + "/gone.txt";
        if (!name.isEmpty()) {
            path = folder.path() + "/" + name;
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        QCOMPARE(describe(FileAttachmentReader::read(path)), result);
    }

    // Only the first 2 MiB are read: a file whose text starts after them reads as empty, and a
    // character cut at the limit does not turn the rest into another encoding.
    void largeFilesReadInPart_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("result");
        const qint64 limit = FileAttachmentReader::kMaxBytes;
        QTest::newRow("text after the limit") << QByteArray(limit, ' ') + "late"
                                              << "error: That attachment could not be read. The file is empty.";
        QTest::newRow("character across the limit") << "\xc3\xa9" + QByteArray(limit - 3, ' ') + "\xc3\xa9 tail"
                                                    << "big.txt | big.txt | é | é";
    }
    void largeFilesReadInPart()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, result);
        QTemporaryDir folder;
        QFile file(folder.path() + "/big.txt");
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        QCOMPARE(describe(FileAttachmentReader::read(file.fileName())), result);
    }
};

QM_TEST_MAIN(TestContextText)
#include "tst_ContextText.moc"
