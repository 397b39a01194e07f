#include "core/model/AttributeName.h"
#include "support/CliFixture.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

using ScriptOutputsTest = CliFixture;

namespace {

// The value as Python reads it, an oracle independent of palvorn; empty where it reads none.
QByteArray pythonValue(const QString& path, const QByteArray& name, bool followLinks = true) {
    const QString hex =
        runProcess({u"python3"_s, u"-c"_s,
                    u"import os, sys\n"
                    u"try:\n"
                    u"    print(os.getxattr(sys.argv[1], bytes.fromhex(sys.argv[2]),\n"
                    u"                      follow_symlinks=sys.argv[3] == '1').hex())\n"
                    u"except OSError:\n"
                    u"    pass\n"_s,
                    path, QString::fromLatin1(name.toHex()), followLinks ? u"1"_s : u"0"_s})
            .out;
    return QByteArray::fromHex(hex.toLatin1());
}

} // namespace

// --raw writes a value's bytes and nothing else, whatever they hold; a format that cannot show a
// value refuses it, instead of printing hex text that set would then store as the value. (What
// each format prints is ReadCommandsTest's.)
TEST_F(ScriptOutputsTest, GetRawWritesTheBytesAndAFormatRefusesWhatItCannotShow) {
    const QString file = makeFile(u"f"_s);
    const QList<std::pair<QByteArray, QByteArray>> values = {
        {"user.text", "caf\xc3\xa9\n"},
        {"user.empty", {}},
        {"user.binary", QByteArray("\x00\xff\x1b[2J\r\n\x00", 9)},
        {"user.bad\xff", "\xfe"},
        {"user.plist", QByteArray("bplist00\x08\x08\x00\x00\x00\x00\x00\x00\x01\x01\x00\x00\x00"
                                  "\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
                                  "\x00\x00\x00\x00\x00\x09",
                                  42)},
    };
    for (const auto& [name, value] : values) {
        setRaw(file, name, value);
        const RawResult raw = runRaw({"get", QFile::encodeName(file), name, "--raw"});
        EXPECT_EQ(std::tuple(raw.exitCode, raw.out, raw.err),
                  std::tuple(0, pythonValue(file, name), QByteArray()))
            << name.constData();
    }
    const QString notText = u"; use --as hex or --raw"_s;
    const QList<std::tuple<QByteArray, QString, CliResult>> formats = {
        {"user.binary", u"text"_s,
         failure(errorLine(file, u"user.binary"_s, u"The value is not UTF-8 text"_s + notText))},
        {"user.text", u"plist"_s,
         failure(errorLine(file, u"user.text"_s, u"The value is not a property list"_s + notText))},
        {"user.binary", u"plist"_s,
         failure(
             errorLine(file, u"user.binary"_s, u"The value is not a property list"_s + notText))},
    };
    for (const auto& [name, format, result] : formats)
        EXPECT_EQ(runCli({u"get"_s, file, QString::fromUtf8(name), u"--as"_s, format}), result)
            << name.constData() << ' ' << format.toStdString();
    EXPECT_EQ(runCli({u"get"_s, file, u"user.text"_s, u"--raw"_s, u"--as"_s, u"hex"_s}).exitCode,
              2);
}

// -h acts on a link itself, as the l* calls do; without it the link's target is meant. A user
// attribute cannot sit on a link, so the link's list is empty and writing on it is refused,
// while the target keeps what it had.
TEST_F(ScriptOutputsTest, NoDereferenceActsOnTheLinkItself) {
    const QString target = makeFile(u"target"_s);
    setRaw(target, "user.a", "1");
    setRaw(target, "user.b", "2");
    const QString link = pathOf(u"link"_s);
    ASSERT_TRUE(QFile::link(target, link));
    const QString copy = makeFile(u"copy"_s);
    const QString notOnLinks = u"Operation not permitted"_s;
    const QList<std::tuple<QStringList, CliResult>> cases = {
        {{u"list"_s, link}, success(u"user.a\t1 bytes\nuser.b\t1 bytes\n"_s)},
        {{u"list"_s, u"-h"_s, link}, success({})},
        {{u"list"_s, u"--no-dereference"_s, link}, success({})},
        {{u"show"_s, u"-h"_s, link}, success(link + u"\n\n**********\n"_s)},
        {{u"show"_s, u"-h"_s, link, u"user.a"_s},
         failure(errorLine(link, u"user.a"_s, u"xattr not found"_s))},
        {{u"get"_s, u"-h"_s, link, u"user.a"_s},
         failure(errorLine(link, u"user.a"_s, u"getxattr error: No data available"_s))},
        {{u"get"_s, link, u"user.a"_s, u"--raw"_s}, success(u"1"_s)},
        {{u"set"_s, u"-h"_s, link, u"user.a"_s, u"--as"_s, u"text"_s, u"new"_s},
         failure(errorLine(link, u"user.a"_s, u"setxattr error: "_s + notOnLinks))},
        {{u"rm"_s, u"-h"_s, link, u"user.a"_s},
         failure(errorLine(link, u"user.a"_s, u"removexattr error: "_s + notOnLinks))},
        {{u"cp"_s, u"-h"_s, link, copy}, success({})},
        {{u"cp"_s, u"-h"_s, target, link},
         failure(errorLine(link, u"user.a"_s, u"setxattr error: "_s + notOnLinks) +
                 errorLine(link, u"user.b"_s, u"setxattr error: "_s + notOnLinks) +
                 u"palvorn-cli: Not copied: user.a, user.b\n"_s)},
    };
    for (const auto& [arguments, result] : cases)
        EXPECT_EQ(runCli(arguments), result) << arguments.join(u' ').toStdString();
    EXPECT_EQ(rawAttributes(QFile::encodeName(target)),
              (Attributes{{"user.a", "1"}, {"user.b", "2"}}));
    EXPECT_EQ(rawAttributes(QFile::encodeName(copy)), Attributes());
    // Without -h the target is written through the link, as before.
    EXPECT_EQ(runCli({u"set"_s, link, u"user.c"_s, u"--as"_s, u"text"_s, u"3"_s}), success({}));
    EXPECT_EQ(pythonValue(link, "user.c", false), QByteArray());
    EXPECT_EQ(getRaw(target, "user.c"), "3");
}

namespace {

// A value from the JSON.
QByteArray base64In(const QJsonObject& object, const QString& key) {
    return QByteArray::fromBase64(object.value(key).toString().toLatin1());
}

// A name or path from the JSON: the bytes of its base64 field where there is one, else its text.
QByteArray bytesIn(const QJsonObject& object, const QString& key) {
    const QJsonValue base64 = object.value(key + u"_base64"_s);
    return base64.isString() ? base64In(object, key + u"_base64"_s)
                             : object.value(key).toString().toUtf8();
}

// The one JSON object a run wrote, checked to carry no byte that could steer a terminal: no
// control but the line feeds that end it and (in a crawl's stream) stand between its items.
QJsonObject parsedJson(const QList<QByteArray>& arguments) {
    const RawResult result = runRaw(arguments);
    EXPECT_TRUE(result.out.endsWith('\n')) << result.out.constData();
    const QString text = QString::fromUtf8(result.out);
    EXPECT_FALSE(std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c.unicode() < 0x20 && c != u'\n') || (c.unicode() >= 0x7f && c.unicode() <= 0x9f);
    })) << result.out.constData();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << result.out.constData();
    return document.object();
}

} // namespace

// Each JSON output stands for its report: the report rebuilt from the JSON is the text the verb
// prints, and every name and path, UTF-8 or not, comes back as its exact bytes.
TEST_F(ScriptOutputsTest, JsonStandsForTheReportAndKeepsEveryByte) {
    const QByteArray folder = QFile::encodeName(makeFolder(u"d"_s)) + "/x\xff\x1b";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    const QByteArray file = folder + "/f";
    const QByteArray other = folder + "/g";
    ASSERT_EQ(::close(::creat(file.constData(), 0644)), 0);
    ASSERT_EQ(::close(::creat(other.constData(), 0644)), 0);
    const QList<std::pair<QByteArray, QByteArray>> values = {
        {"user.text", "caf\xc3\xa9"},
        {"user.bad\xff", QByteArray("\x00\x01", 2)},
        {"user.esc\x1b[2J\xc2\x85\x7f", "\x1b]0;t\x07"},
        {"user.back\\slash", "\\"},
        {"user.plist",
         QByteArray::fromBase64("YnBsaXN0MDDRAQJRYVFiCAsNAAAAAAAAAQEAAAAAAAAAAwAAAAAAAAAA"
                                "AAAAAAAAAA8=")},
    };
    for (const auto& [name, value] : values)
        setRaw(file, name, value);
    setRaw(other, "user.text", "other");

    const QJsonObject list = parsedJson({"list", "--json", file});
    EXPECT_EQ(bytesIn(list, u"path"_s), file);
    QString listed;
    QList<QByteArray> names;
    for (const QJsonValue attribute : list.value(u"attributes"_s).toArray()) {
        names.append(bytesIn(attribute.toObject(), u"name"_s));
        listed += palvorn::displayName(names.last()) + u'\t' +
                  QString::number(attribute.toObject().value(u"size"_s).toInteger()) +
                  u" bytes\n"_s;
    }
    EXPECT_EQ(names, listRaw(file));
    EXPECT_EQ(listed, QString::fromUtf8(runRaw({"list", file}).out));

    const QJsonObject show = parsedJson({"show", "--json", file});
    QStringList texts;
    for (const QJsonValue value : show.value(u"attributes"_s).toArray()) {
        const QJsonObject attribute = value.toObject();
        const QByteArray name = bytesIn(attribute, u"name"_s);
        const QByteArray bytes = base64In(attribute, u"value_base64"_s);
        EXPECT_EQ(bytes, rawAttributes(file).value(name)) << name.constData();
        texts.append(palvorn::displayName(name) + u" ("_s +
                     QString::number(attribute.value(u"size"_s).toInteger()) + u" bytes):\n\n"_s +
                     attribute.value(u"hex"_s).toString() + u"\n\n"_s +
                     attribute.value(u"content"_s).toString());
    }
    EXPECT_EQ(palvorn::displayName(bytesIn(show, u"path"_s)) + u"\n\n**********\n"_s +
                  texts.join(u"\n**********\n"_s),
              QString::fromUtf8(runRaw({"show", file}).out));

    for (const auto& [first, second] : {std::pair{file, file}, std::pair{file, other}}) {
        const QJsonObject compared = parsedJson({"compare", "--json", first, second});
        QString lines = u"Comparing "_s + palvorn::displayName(bytesIn(compared, u"first"_s)) +
                        u" with "_s + palvorn::displayName(bytesIn(compared, u"second"_s)) +
                        u" :\n"_s;
        if (compared.value(u"counts_differ"_s).toBool())
            lines += u"The number of xattrs is different.\n"_s;
        const QHash<QString, QString> stateTexts = {
            {u"only_in_first"_s, u" is not in second file\n"_s},
            {u"only_in_second"_s, u" is not in first file\n"_s},
            {u"same"_s, u" are the same\n"_s},
            {u"different"_s, u" are different\n"_s}};
        for (const QJsonValue name : compared.value(u"names"_s).toArray())
            lines += palvorn::displayName(bytesIn(name.toObject(), u"name"_s)) +
                     stateTexts.value(name.toObject().value(u"state"_s).toString());
        const RawResult text = runRaw({"compare", first, second});
        EXPECT_EQ(lines, QString::fromUtf8(text.out));
        EXPECT_EQ(compared.value(u"same"_s).toBool(), text.exitCode == 0);
    }
}

// -m chooses names as getfattr's -m does (a POSIX extended expression searched anywhere in the
// raw name, "-" for all): list and show take the same names as dump, whose output is getfattr's
// byte for byte. --null writes the names as they are, each ended by a NUL byte.
TEST_F(ScriptOutputsTest, MatchChoosesNamesAsGetfattrDoesAndNullEndsEachName) {
    const QString file = makeFile(u"f"_s);
    for (const QByteArray name : {"user.alpha", "user.beta", "user.a-b", "user.n10",
                                  "user.caf\xc3\xa9", "user.bad\xff", "user.BIG"})
        setRaw(file, name, name.right(3));
    const QByteArray path = QFile::encodeName(file);
    for (const QByteArray pattern : {"a", "^user\\.a", "a$", "-", "", "[[:digit:]]+", "caf.$",
                                     "^user\\..{3}$", "big", "a|b"}) {
        const QByteArray getfattr =
            runTool(u"getfattr"_s, {u"-d"_s, u"-m"_s, QString::fromUtf8(pattern), u"-e"_s, u"hex"_s,
                                    u"--absolute-names"_s, file});
        const RawResult dump = runRaw({"dump", "-m", pattern, "--encoding", "hex", path});
        EXPECT_EQ(std::tuple(dump.exitCode, dump.out), std::tuple(0, getfattr))
            << pattern.constData();
        QByteArray names;
        for (const QByteArray& line : getfattr.split('\n'))
            if (line.startsWith("user."))
                names += line.left(line.indexOf('=')) + '\0';
        // getfattr writes names in byte order, list in the system's: compared as sets.
        QList<QByteArray> wanted = names.split('\0');
        QList<QByteArray> listed = runRaw({"list", "-0", "-m", pattern, path}).out.split('\0');
        std::sort(wanted.begin(), wanted.end());
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, wanted) << pattern.constData();
        const QString shown = QString::fromUtf8(runRaw({"show", "-m", pattern, path}).out);
        EXPECT_EQ(shown.count(u" bytes):\n"_s), wanted.size() - 1) << pattern.constData();
    }
    QByteArray all;
    for (const QByteArray& name : listRaw(path))
        all += name + '\0';
    EXPECT_EQ(runRaw({"list", "--null", path}).out, all);
    const RawResult refused = runRaw({"list", "-m", "(", path});
    EXPECT_EQ(std::tuple(refused.exitCode, refused.out), std::tuple(2, QByteArray()));
    EXPECT_TRUE(refused.err.startsWith("palvorn-cli list: invalid regular expression \"(\": "))
        << refused.err.constData();
    EXPECT_EQ(runCli({u"show"_s, file, u"user.alpha"_s, u"-m"_s, u"a"_s}).exitCode, 2);
    EXPECT_EQ(runCli({u"list"_s, file, u"--json"_s, u"--null"_s}).exitCode, 2);
}

// A crawl's JSON stands for its report in each mode: the same counts, types with their counts and
// first carriers, matches in walk order with their exact values; -m takes only the chosen names,
// in the JSON and the text alike. Paths that are not UTF-8 come back as their bytes.
TEST_F(ScriptOutputsTest, CrawlJsonStandsForEachModesReportAndMatchChoosesItsNames) {
    const QByteArray root = QFile::encodeName(makeFolder(u"tree"_s));
    const QByteArray odd = root + "/odd\xff";
    ASSERT_EQ(::mkdir(odd.constData(), 0755), 0);
    const QList<std::tuple<QByteArray, QByteArray, QByteArray>> values = {
        {root + "/a", "user.com.apple.quarantine", "0083;1;Safari;"},
        {root + "/a", "user.tag", "red"},
        {odd + "/b\x1b", "user.com.apple.quarantine", QByteArray("\x00\x01", 2)},
        {odd + "/b\x1b", "user.other", "o"},
        {root + "/c", "user.tag", "blue"},
    };
    for (const auto& [path, name, value] : values) {
        ::close(::open(path.constData(), O_CREAT | O_WRONLY, 0644));
        setRaw(path, name, value);
    }
    const auto head = [](const QJsonObject& json) {
        return u"Found %1 files with xattrs out of %2 scanned in %3"_s
            .arg(json.value(u"items_with_xattrs"_s).toInteger())
            .arg(json.value(u"items_scanned"_s).toInteger())
            .arg(palvorn::displayName(bytesIn(json, u"folder"_s)));
    };
    for (const QList<QByteArray>& match : {QList<QByteArray>{}, {"-m", "tag|quarantine$"}}) {
        const QList<QByteArray> crawl = QList<QByteArray>{"crawl", root} + match;
        const QJsonObject tally = parsedJson(crawl + QList<QByteArray>{"--json"});
        const QString tallied = QString::fromUtf8(runRaw(crawl).out);
        EXPECT_TRUE(
            tallied.startsWith(head(tally) + u" %1 total xattrs.\nThere are %2 Xattr "_s
                                                 .arg(tally.value(u"total_xattrs"_s).toInteger())
                                                 .arg(tally.value(u"types"_s).toArray().size())))
            << tallied.toStdString();
        QStringList names;
        for (const QJsonValue value : tally.value(u"types"_s).toArray()) {
            const QJsonObject type = value.toObject();
            const QByteArray first = bytesIn(type, u"first_path"_s);
            names.append(palvorn::displayName(bytesIn(type, u"name"_s)));
            EXPECT_TRUE(tallied.contains(names.last() + u" in "_s + palvorn::displayName(first) +
                                         u" count %1:\n"_s.arg(type.value(u"count"_s).toInteger())))
                << names.last().toStdString();
            EXPECT_EQ(base64In(type, u"first_value_base64"_s),
                      rawAttributes(first).value(bytesIn(type, u"name"_s)));
        }
        const QStringList chosen =
            match.isEmpty()
                ? QStringList{u"user.com.apple.quarantine"_s, u"user.other"_s, u"user.tag"_s}
                : QStringList{u"user.com.apple.quarantine"_s, u"user.tag"_s};
        EXPECT_EQ(names, chosen);

        const QJsonObject totals = parsedJson(crawl + QList<QByteArray>{"--totals", "--json"});
        EXPECT_TRUE(QString::fromUtf8(runRaw(crawl + QList<QByteArray>{"--totals"}).out)
                        .startsWith(head(totals) + u"\nTotal size of xattrs %1 bytes.\n"_s.arg(
                                                       totals.value(u"total_size"_s).toInteger())));

        for (const bool showSizes : {false, true}) {
            QList<QByteArray> typed = crawl + QList<QByteArray>{"--type", "com.apple.quarantine"};
            if (showSizes)
                typed.append("--show-size");
            const QJsonObject matches = parsedJson(typed + QList<QByteArray>{"--json"});
            QString records;
            for (const QJsonValue value : matches.value(u"items"_s).toArray()) {
                const QJsonObject item = value.toObject();
                const QByteArray path = bytesIn(item, u"path"_s);
                const QByteArray bytes = base64In(item, u"value_base64"_s);
                EXPECT_EQ(item.contains(u"value_base64"_s), !showSizes);
                if (!showSizes) {
                    EXPECT_EQ(bytes, rawAttributes(path).value("user.com.apple.quarantine"));
                }
                records += palvorn::displayName(path) + u':' +
                           (showSizes ? u" %1  bytes."_s.arg(item.value(u"size"_s).toInteger())
                                      : QString()) +
                           u'\n';
            }
            const QString text = QString::fromUtf8(runRaw(typed).out);
            EXPECT_EQ(matches.value(u"matches"_s).toInteger(), 2);
            EXPECT_TRUE(
                text.startsWith(head(matches) + u" %1 total xattrs, and 2 of type "_s.arg(
                                                    matches.value(u"total_xattrs"_s).toInteger())))
                << text.toStdString();
            // The first line of each record, in the same order.
            QString firstLines;
            for (const QString& line : text.split(u'\n'))
                if (line.startsWith(palvorn::displayName(root)) && line.contains(u':'))
                    firstLines += line + u'\n';
            EXPECT_EQ(firstLines, records) << text.toStdString();
        }
    }
    EXPECT_EQ(runCli({u"crawl"_s, QFile::decodeName(root), u"-m"_s, u"("_s}).exitCode, 2);
}
