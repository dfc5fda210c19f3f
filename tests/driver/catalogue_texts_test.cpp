// The German message catalogues: every translated text of the program has a
// German entry, and the entries match the program's source texts byte for
// byte. The texts come from every layer, so the test lives with the program.
#include "base/diagnostics.h"
#include "base/product.h"
#include "driver/cmdline.h"
#include "model/kinds.h"
#include "report/presentation.h"
#include "report/scriptsection.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTranslator>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

/// Shows a Unicode text as UTF-8 in failure messages.
static void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

/// One translated text of the program.
struct CatalogueText {
    const char* context;
    const char* source;
    bool sameInGerman; ///< the German text is the source itself
};

const char* const UsageText = " -ots <otsFiles> -tdf <tdfFile> -xrd <xrdFile> [-h <headerTextFile>]\n"
                              "         <otsFiles>    Object Testing symbol filenames\n"
                              "         <tdfFile>     Trace dynamic filename\n"
                              "         <xrdFile>     Results filename\n\n";

const char* const GlobalContext = "QUORVANEL global information";

/// Every text that the program translates, by context.
const CatalogueText Texts[] = {
    // Product texts of the banner and of the report's product rows.
    {"KSTNIdent", qv::product::Name, true},
    {"KSTNIdent", qv::product::ToolTitle, false},
    {"KSTNIdent", qv::product::Version, true},
    {"KSTNIdent", qv::product::Holder, false},
    {"KSTNIdent", qv::product::Reservation, false},
    {"KSTNIdent", qv::product::ReportTitle, false},
    {"KSTNIdent", qv::product::NoticeLine, false},
    // Diagnostics.
    {"QVN Error", "internal error: %1", false},
    {"QVN Error", "out of memory", false},
    {"QVN Error", "%1, no such file or directory.", false},
    {"QVN Error", "%1, file format not recognized.", false},
    {"QVN Error", "%1, permission denied;", false},
    {"QVN Error", "(unexpected error)", false},
    {"QVN Error", "%1, write error.", false},
    {"QVN Error", "info:", false},
    {"QVN Error", "warning:", false},
    {"QVN Error", "error:", false},
    {"QVN Error", "fatal:", false},
    {"QVN Error", "lexical error:", false},
    {"QVN Error", "syntax error:", false},
    {"QVN Error", "semantic error:", false},
    {"QVN Error", "command line:", false},
    // Usage text and the number messages of the trace reader.
    {"QUORVANEL", "\nUsage: ", false},
    {"QUORVANEL", UsageText, false},
    {"QUORVANEL", "non hexa digit found in number", false},
    {"QUORVANEL", "32 bits number overflow", false},
    // Element kind display names.
    {"QUORVANEL OtsType", "Prologue", false},
    {"QUORVANEL OtsType", "Epilogue", false},
    {"QUORVANEL OtsType", "Check Expression", false},
    {"QUORVANEL OtsType", "Checksum", false},
    {"QUORVANEL OtsType", "Class", false},
    {"QUORVANEL OtsType", "Check Method", false},
    {"QUORVANEL OtsType", "Comment", false},
    {"QUORVANEL OtsType", "Call", false},
    {"QUORVANEL OtsType", "Check Stub", false},
    {"QUORVANEL OtsType", "Check Exception", false},
    {"QUORVANEL OtsType", "Check Property", false},
    {"QUORVANEL OtsType", "Post Condition", false},
    {"QUORVANEL OtsType", "Expression", false},
    {"QUORVANEL OtsType", "# ", true},
    {"QUORVANEL OtsType", "Test Driver", false},
    {"QUORVANEL OtsType", "Invariant", false},
    {"QUORVANEL OtsType", "Proc", false},
    {"QUORVANEL OtsType", "Print", false},
    {"QUORVANEL OtsType", "Property", false},
    {"QUORVANEL OtsType", "Run Component", false},
    {"QUORVANEL OtsType", "Pre Condition", false},
    {"QUORVANEL OtsType", "Run", false},
    {"QUORVANEL OtsType", "Stub", false},
    {"QUORVANEL OtsType", "Single Class", false},
    {"QUORVANEL OtsType", "State", false},
    {"QUORVANEL OtsType", "Test Case", false},
    {"QUORVANEL OtsType", "Test Class", false},
    {"QUORVANEL OtsType", "Transition", false},
    {"QUORVANEL OtsType", "Test Suite", false},
    {"QUORVANEL OtsType", "Method Contract", false},
    {"QUORVANEL OtsType", "Observation State", false},
    {"QUORVANEL OtsType", "Test Compiler Version", false},
    {"QUORVANEL OtsType", "Test Compilation Time", false},
    // Result words.
    {"QUORVANEL status", "Passed", false},
    {"QUORVANEL status", "Failed", false},
    {"QUORVANEL status", "Not Executed", false},
    {"QUORVANEL state status", "Reached", false},
    {"QUORVANEL state status", "Failed", false},
    {"QUORVANEL state status", "Not Reached", false},
    {"QUORVANEL trans status", "Fired", false},
    {"QUORVANEL trans status", "Failed", false},
    {"QUORVANEL trans status", "Not Fired", false},
    // Report headings and labels of the global summary.
    {GlobalContext, "Global Report", false},
    {GlobalContext, "Component testing C++ report", false},
    {GlobalContext, "Report summary", false},
    {GlobalContext, "Passed", false},
    {GlobalContext, "Inconclusive", false},
    {GlobalContext, "Failed", false},
    {GlobalContext, "Total", false},
    {GlobalContext, "Report Information", false},
    {GlobalContext, "Project", false},
    {GlobalContext, "Project File", false},
    {GlobalContext, "Project Configuration", false},
    {GlobalContext, "Workspace", false},
    {GlobalContext, "Test Node", false},
    {GlobalContext, "Report File", false},
    {GlobalContext, "Test compiler version", false},
    {GlobalContext, "Test compilation time", false},
    {GlobalContext, "Report Generation Time", false},
    {GlobalContext, "Contracts", false},
    {GlobalContext, "Tested Contracts", false},
    {GlobalContext, "Number Of Test Suite", false},
    {GlobalContext, "Number Of Test Class", false},
    {GlobalContext, "Number Of Test Case", false},
    {GlobalContext, "Number Of Epilogue", false},
    {GlobalContext, "Number Of Procedure", false},
    {GlobalContext, "Number Of Prologue", false},
    {GlobalContext, "Number Of Stub", false},
    // Class section headings.
    {"QUORVANEL State chart violations", "State Name", false},
    {"QUORVANEL State chart violations", "Multiple Exits", false},
    {"QUORVANEL State chart violations", "Illegal Exits", false},
    {"QUORVANEL class report", "State Name", false},
    {"QUORVANEL class report", "Status", true},
    {"QUORVANEL class report", "Reached", false},
    {"QUORVANEL class report", "Transition Name", false},
    {"QUORVANEL class report", "Fired", false},
    // Column titles of the result tables.
    {"QUORVANEL Cell text", "Method", false},
    {"QUORVANEL Cell text", "Expression", false},
    {"QUORVANEL Cell text", "Status", true},
    {"QUORVANEL Cell text", "Executed", false},
    {"QUORVANEL Cell text", "Failed", false},
    {"QUORVANEL Cell text", "Passed", false},
};

const char* const Catalogues[] = {"kstnident_de", "modbas_de", "quorvanel_de"};

QString translate(const char* context, const char* source)
{
    return QCoreApplication::translate(context, source);
}

std::string describe(const CatalogueText& text)
{
    return std::string(text.context) + " / \"" + text.source + "\"";
}

/// The three German catalogues of the build installed for one test; removed
/// afterwards so that every other test sees the English source texts.
class GermanCatalogues : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : Catalogues) {
            auto translator = std::make_unique<QTranslator>();
            ASSERT_TRUE(translator->load(QString::fromLatin1(name), QString::fromUtf8(QV_LOCALE_BUILD_DIR)))
                << name << ".qm not loadable from " << QV_LOCALE_BUILD_DIR;
            ASSERT_TRUE(QCoreApplication::installTranslator(translator.get()));
            translators_.push_back(std::move(translator));
        }
    }
    void TearDown() override
    {
        for (auto& translator : translators_)
            QCoreApplication::removeTranslator(translator.get());
        translators_.clear();
    }

    /// Number of installed catalogues that hold an entry for the text.
    int holders(const char* context, const char* source) const
    {
        int count = 0;
        for (const auto& translator : translators_)
            if (!translator->translate(context, source).isEmpty())
                ++count;
        return count;
    }

    std::vector<std::unique_ptr<QTranslator>> translators_;
};

TEST_F(GermanCatalogues, EveryTextHasExactlyOneGermanEntry)
{
    for (const CatalogueText& text : Texts) {
        SCOPED_TRACE(describe(text));
        // One entry only: a second one in another catalogue would shadow it.
        EXPECT_EQ(holders(text.context, text.source), 1);
        const QString german = translate(text.context, text.source);
        EXPECT_FALSE(german.trimmed().isEmpty());
        if (text.sameInGerman) {
            EXPECT_EQ(german, QString::fromUtf8(text.source));
        } else {
            EXPECT_NE(german, QString::fromUtf8(text.source));
        }
    }
}

TEST_F(GermanCatalogues, EachContextLivesInOneCatalogue)
{
    for (const CatalogueText& text : Texts) {
        SCOPED_TRACE(describe(text));
        const CatalogueText& first =
            *std::find_if(std::begin(Texts), std::end(Texts),
                          [&](const CatalogueText& t) { return QByteArray(t.context) == text.context; });
        for (const auto& translator : translators_)
            EXPECT_EQ(translator->translate(text.context, text.source).isEmpty(),
                      translator->translate(first.context, first.source).isEmpty());
    }
}

TEST_F(GermanCatalogues, ContextsAreIndependent)
{
    // The same word under another context, or an unknown context, is not translated.
    EXPECT_EQ(translate("QUORVANEL", "Passed"), QStringLiteral("Passed"));
    EXPECT_EQ(translate("QUORVANEL OtsType", "Failed"), QStringLiteral("Failed"));
    EXPECT_EQ(translate("QUORVANEL status", "Reached"), QStringLiteral("Reached"));
    EXPECT_EQ(translate("No such context", "Class"), QStringLiteral("Class"));
    // Not translated by design: the display name of a value without a kind,
    // the state-chart violations heading, and the blank cells of the tables.
    EXPECT_EQ(translate("QUORVANEL OtsType", "-?\?-"), QStringLiteral("-?\?-"));
    EXPECT_EQ(translate("QUORVANEL class report", "State Chart Violations"),
              QStringLiteral("State Chart Violations"));
    EXPECT_EQ(translate(GlobalContext, " "), QStringLiteral(" "));
    EXPECT_EQ(translate("QUORVANEL Cell text", " "), QStringLiteral(" "));
}

TEST_F(GermanCatalogues, MessagesKeepPlaceMarkersAndFinalCharacter)
{
    for (const CatalogueText& text : Texts) {
        if (QByteArray(text.context) != "QVN Error")
            continue;
        SCOPED_TRACE(describe(text));
        const QString source = QString::fromUtf8(text.source);
        const QString german = translate(text.context, text.source);
        EXPECT_EQ(german.count(QStringLiteral("%1")), source.count(QStringLiteral("%1")));
        EXPECT_FALSE(german.contains(QStringLiteral("%2")));
        // The severity words end in a colon, "permission denied;" in a
        // semicolon, the other messages in a full stop or a bracket.
        if (source.back().isPunct()) {
            EXPECT_EQ(german.back(), source.back());
        }
    }
}

TEST_F(GermanCatalogues, UsageTextKeepsItsLayout)
{
    const QString usage = translate("QUORVANEL", "\nUsage: ");
    EXPECT_TRUE(usage.startsWith(QLatin1Char('\n')));
    EXPECT_TRUE(usage.endsWith(QStringLiteral(": ")));
    EXPECT_EQ(usage.count(QLatin1Char('\n')), 1);

    const QString english = QString::fromUtf8(UsageText);
    const QString german = translate("QUORVANEL", UsageText);
    ASSERT_NE(german, english);
    EXPECT_TRUE(german.endsWith(QStringLiteral("\n\n")));
    EXPECT_FALSE(german.endsWith(QStringLiteral("\n\n\n")));
    const QStringList lines = german.split(QLatin1Char('\n'));
    const QStringList englishLines = english.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 6); // synopsis, three legend lines, the empty line, end
    // The synopsis holds only option syntax and stays as it is.
    EXPECT_EQ(lines[0], englishLines[0]);
    for (int i = 1; i <= 3; ++i) {
        SCOPED_TRACE(i);
        // Nine blanks, the unchanged placeholder and the same gap before the
        // legend text, which is German.
        qsizetype gapEnd = englishLines[i].indexOf(QLatin1Char('>')) + 1;
        while (englishLines[i][gapEnd] == QLatin1Char(' '))
            ++gapEnd;
        EXPECT_TRUE(lines[i].startsWith(QString(9, QLatin1Char(' ')) + QLatin1Char('<')));
        EXPECT_EQ(lines[i].left(gapEnd), englishLines[i].left(gapEnd));
        ASSERT_GT(lines[i].size(), gapEnd);
        EXPECT_NE(lines[i][gapEnd], QLatin1Char(' '));
        EXPECT_NE(lines[i], englishLines[i]);
    }
    EXPECT_TRUE(lines[4].isEmpty());
    EXPECT_TRUE(lines[5].isEmpty());
}

TEST_F(GermanCatalogues, ProgramTextsMatchTheCatalogueSources)
{
    // The usage text as the command line prints it.
    testing::internal::CaptureStderr();
    qv::printUsage("quorvanel");
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed,
              (translate("QUORVANEL", "\nUsage: ") + QStringLiteral("quorvanel") +
               translate("QUORVANEL", UsageText))
                  .toStdString());
    EXPECT_EQ(printed.rfind("\nAufruf: quorvanel -ots", 0), 0u) << printed;

    // Message texts and severity words of the diagnostics table.
    for (int id = 0; id <= int(qv::MessageId::WriteError); ++id) {
        const char* source = qv::detail::messageText(qv::MessageId(id));
        EXPECT_NE(translate("QVN Error", source), QString::fromUtf8(source)) << source;
    }
    for (int s = 0; s <= int(qv::Severity::SemanticError); ++s) {
        const char* source = qv::detail::severityWord(qv::Severity(s));
        EXPECT_NE(translate("QVN Error", source), QString::fromUtf8(source)) << source;
    }
    testing::internal::CaptureStderr();
    qv::report(qv::MessageId::NoSuchFile, {}, "a.ots");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quorvanel - Fehler: a.ots, Datei oder Verzeichnis nicht gefunden.\n");
    testing::internal::CaptureStderr();
    qv::report(qv::MessageId::OutOfMemory, {qv::MessageLocation::CommandLine, {}, 0});
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quorvanel - schwerer Fehler: Befehlszeile: Arbeitsspeicher erschöpft\n");
}

TEST_F(GermanCatalogues, KindNamesAndResultWordsComeOutInGerman)
{
    const struct {
        qv::ElementKind kind;
        const char* name;
    } kinds[] = {
        {qv::ElementKind::Prologue, "Prologue"},
        {qv::ElementKind::Epilogue, "Epilogue"},
        {qv::ElementKind::CheckExpression, "Check Expression"},
        {qv::ElementKind::Checksum, "Checksum"},
        {qv::ElementKind::Class, "Class"},
        {qv::ElementKind::CheckMethod, "Check Method"},
        {qv::ElementKind::Comment, "Comment"},
        {qv::ElementKind::Call, "Call"},
        {qv::ElementKind::CheckStub, "Check Stub"},
        {qv::ElementKind::CheckException, "Check Exception"},
        {qv::ElementKind::CheckProperty, "Check Property"},
        {qv::ElementKind::PostCondition, "Post Condition"},
        {qv::ElementKind::Expression, "Expression"},
        {qv::ElementKind::Nc, "# "},
        {qv::ElementKind::TestDriver, "Test Driver"},
        {qv::ElementKind::Invariant, "Invariant"},
        {qv::ElementKind::Proc, "Proc"},
        {qv::ElementKind::Print, "Print"},
        {qv::ElementKind::Property, "Property"},
        {qv::ElementKind::RunComponent, "Run Component"},
        {qv::ElementKind::PreCondition, "Pre Condition"},
        {qv::ElementKind::Run, "Run"},
        {qv::ElementKind::Stub, "Stub"},
        {qv::ElementKind::SingleClass, "Single Class"},
        {qv::ElementKind::State, "State"},
        {qv::ElementKind::TestCase, "Test Case"},
        {qv::ElementKind::TestClass, "Test Class"},
        {qv::ElementKind::Transition, "Transition"},
        {qv::ElementKind::TestSuite, "Test Suite"},
        {qv::ElementKind::MethodContract, "Method Contract"},
        {qv::ElementKind::ObservationState, "Observation State"},
        {qv::ElementKind::TestCompilerVersion, "Test Compiler Version"},
        {qv::ElementKind::TestCompilationTime, "Test Compilation Time"},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(qv::kindDisplayName(k.kind), translate("QUORVANEL OtsType", k.name));
        if (k.kind != qv::ElementKind::Nc) {
            EXPECT_NE(qv::kindDisplayName(k.kind), QString::fromUtf8(k.name));
        }
    }
    EXPECT_EQ(qv::kindDisplayName(qv::ElementKind::Nc), QStringLiteral("# "));
    EXPECT_EQ(qv::kindDisplayName(qv::ElementKind(0)), QStringLiteral("-?\?-"));

    // NodeStatus: 0 NotExecuted, 1 Executed, 2 Failed, 3 Passed.
    const char* const statusSources[] = {"Not Executed", "Not Executed", "Failed", "Passed"};
    const char* const stateSources[] = {"Not Reached", "Not Reached", "Failed", "Reached"};
    const char* const transitionSources[] = {"Not Fired", "Not Fired", "Failed", "Fired"};
    // The words as the report's result cells have them.
    qv::XrdWriter writer;
    writer.openMemory();
    auto word = [](const std::string& text) { return QString::fromStdString(text); };
    for (int s = 0; s <= 3; ++s) {
        SCOPED_TRACE(s);
        const qv::NodeStatus status = qv::NodeStatus(s);
        const QString statusWord = word(qv::statusWordText(writer, status));
        const QString stateStatusWord = word(qv::stateStatusWordText(writer, status));
        const QString transitionStatusWord = word(qv::transitionStatusWordText(writer, status));
        EXPECT_EQ(statusWord, translate("QUORVANEL status", statusSources[s]));
        EXPECT_EQ(stateStatusWord, translate("QUORVANEL state status", stateSources[s]));
        EXPECT_EQ(transitionStatusWord, translate("QUORVANEL trans status", transitionSources[s]));
        EXPECT_NE(statusWord, QString::fromUtf8(statusSources[s]));
        EXPECT_NE(stateStatusWord, QString::fromUtf8(stateSources[s]));
        EXPECT_NE(transitionStatusWord, QString::fromUtf8(transitionSources[s]));
    }
}

} // namespace
