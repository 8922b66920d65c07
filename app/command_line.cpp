#include "command_line.h"

#include "build_command.h"

#include <QCommandLineParser>

namespace corvane {

namespace {

struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Shows this help and exits.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Shows the version and exits.")};
    QCommandLineOption import{QStringLiteral("import"),
                              QStringLiteral("Opens the window with FILE imported as plain text "
                                             "(without the document's header)."),
                              QStringLiteral("FILE")};
    QCommandLineOption compile{
        QStringLiteral("compile"),
        QStringLiteral("Builds the TI-83 and TI-83 Plus programs of each DOCUMENT without a "
                       "window, as Compile for ion does, without saving anything. Exits with 0 "
                       "when every build delivered both programs, 1 when one failed.")};
    QCommandLineOption output{QStringLiteral("output"),
                              QStringLiteral("With --compile: delivers the programs into DIR "
                                             "instead of each document's folder."),
                              QStringLiteral("DIR")};

    QCommandLineOption basic{
        QStringLiteral("basic"),
        QStringLiteral("With --compile: builds the TI-BASIC programs instead, NAME-ce.8xp for the "
                       "TI-84 Plus CE and TI-83 Premium CE and NAME-84.8xp for the TI-84 Plus and "
                       "TI-83 Plus; no tool chain runs.")};
    QCommandLineOption reader{
        QStringLiteral("reader"),
        QStringLiteral("With --compile: builds reader programs (TI-83, TI-83 Plus, TI-84 Plus), "
                       "which page both ways and run without a shell on the TI-83 Plus, as "
                       "Compile as a reader does.")};
    QCommandLineOption partSize{
        QStringLiteral("part-size"),
        QStringLiteral("With --compile --basic: splits a longer text into programs of at most "
                       "BYTES (2000 to 65505; the TI-84 Plus programs stay within 12000). With "
                       "--compile --reader: the most bytes of one reader program (2000 to what a "
                       "cleared calculator holds; default 16000)."),
        QStringLiteral("BYTES")};

    QCommandLineOption send{
        QStringLiteral("send"),
        QStringLiteral("Sends each program FILE (.83p, .8xp) to the calculator without a "
                       "window. Exits with 0 when every file arrived, 1 when one did not.")};
    QCommandLineOption cable{QStringLiteral("cable"),
                             QStringLiteral("With --send: the cable, silverlink, grey, black, usb "
                                            "or virtual; without it the USB cables are searched."),
                             QStringLiteral("NAME")};
    QCommandLineOption model{
        QStringLiteral("model"),
        QStringLiteral(
            "With --send: the calculator, 83, 83p or ce (TI-84 Plus CE, over usb); without it "
            "each file goes as the model it was written for."),
        QStringLiteral("MODEL")};

    void addTo(QCommandLineParser& parser) const {
        parser.setApplicationDescription(
            QStringLiteral("Turns text into TI-83 and TI-83 Plus programs for the ION shell."));
        parser.addOptions(
            {help, version, import, compile, output, basic, reader, partSize, send, cable, model});
        parser.addPositionalArgument(
            QStringLiteral("FILE"),
            QStringLiteral("A document to open in the window (each further one in a window "
                           "of its own); with --compile, the documents to build."),
            QStringLiteral(
                "[FILE... | --compile [--basic | --reader] [--part-size BYTES] DOCUMENT... "
                "[--output DIR]]"));
    }
};

CommandLine bad(const QString& error) {
    CommandLine command;
    command.action = CommandLine::Action::BadCommandLine;
    command.error = error;
    return command;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    const Options options;
    QCommandLineParser parser;
    options.addTo(parser);
    if (!parser.parse(arguments)) {
        return bad(parser.errorText());
    }
    const QStringList files = parser.positionalArguments();
    CommandLine command;
    if (parser.isSet(options.help)) {
        command.action = CommandLine::Action::Help;
    } else if (parser.isSet(options.version)) {
        command.action = CommandLine::Action::Version;
    } else if (parser.isSet(options.send)) {
        if (parser.isSet(options.compile) || parser.isSet(options.import) ||
            parser.isSet(options.output) || parser.isSet(options.basic) ||
            parser.isSet(options.reader) || parser.isSet(options.partSize)) {
            return bad(QStringLiteral("--send goes only with --cable and --model."));
        }
        if (files.isEmpty()) {
            return bad(QStringLiteral("--send needs at least one program file."));
        }
        command.action = CommandLine::Action::Send;
        command.programs = files;
        command.cable = parser.value(options.cable);
        command.model = parser.value(options.model);
    } else if (parser.isSet(options.cable) || parser.isSet(options.model)) {
        return bad(QStringLiteral("--cable and --model go only with --send."));
    } else if (!parser.isSet(options.compile) &&
               (parser.isSet(options.basic) || parser.isSet(options.reader) ||
                parser.isSet(options.partSize))) {
        return bad(QStringLiteral("--basic, --reader and --part-size go only with --compile."));
    } else if (parser.isSet(options.compile)) {
        if (parser.isSet(options.import)) {
            return bad(QStringLiteral("--import opens the window; it cannot go with --compile."));
        }
        if (files.isEmpty()) {
            return bad(QStringLiteral("--compile needs at least one document."));
        }
        command.action = CommandLine::Action::Compile;
        command.documents = files;
        command.outputFolder = parser.value(options.output);
        if (parser.isSet(options.output) && command.outputFolder.isEmpty()) {
            return bad(QStringLiteral("--output needs a folder."));
        }
        command.basic = parser.isSet(options.basic);
        command.reader = parser.isSet(options.reader);
        if (command.basic && command.reader) {
            return bad(QStringLiteral("--basic and --reader each choose the programs to build; "
                                      "give one of them."));
        }
        if (parser.isSet(options.partSize)) {
            if (!command.basic && !command.reader) {
                return bad(QStringLiteral("--part-size goes only with --basic or --reader."));
            }
            bool number = false;
            const qulonglong bytes = parser.value(options.partSize).toULongLong(&number);
            if (!number) {
                return bad(QStringLiteral("--part-size needs a number of bytes."));
            }
            const std::size_t limit = readerPartBytesLimit();
            if (command.reader && (bytes < kReaderMinimumPartBytes || bytes > limit)) {
                return bad(QStringLiteral("--part-size takes a number of bytes from %1 to %2 "
                                          "for reader programs (what a cleared calculator "
                                          "holds).")
                               .arg(kReaderMinimumPartBytes)
                               .arg(limit));
            }
            command.partSize = static_cast<std::size_t>(bytes);
        }
    } else if (parser.isSet(options.output)) {
        return bad(QStringLiteral("--output goes only with --compile."));
    } else if (parser.isSet(options.import) && !files.isEmpty()) {
        return bad(QStringLiteral("--import takes the place of the file to open; give one or "
                                  "the other."));
    } else if (parser.isSet(options.import) && parser.value(options.import).isEmpty()) {
        return bad(QStringLiteral("--import needs a file."));
    } else {
        command.openFiles = files;
        command.importFile = parser.value(options.import);
    }
    return command;
}

QString commandLineHelp() {
    QCommandLineParser parser;
    Options().addTo(parser);
    return parser.helpText();
}

} // namespace corvane
