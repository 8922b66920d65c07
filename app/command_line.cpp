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
    QCommandLineOption reader{
        QStringLiteral("reader"),
        QStringLiteral("With --compile: builds reader programs (TI-83, TI-83 Plus, TI-84 Plus), "
                       "which page both ways and run without a shell on the TI-83 Plus, as "
                       "Compile as a reader does.")};
    QCommandLineOption partSize{
        QStringLiteral("part-size"),
        QStringLiteral("With --reader: the most bytes of one program; a longer text is split "
                       "into parts (default 16000)."),
        QStringLiteral("BYTES")};

    QCommandLineOption send{
        QStringLiteral("send"),
        QStringLiteral("Sends each program FILE (.83p, .8xp) to the calculator without a "
                       "window. Exits with 0 when every file arrived, 1 when one did not.")};
    QCommandLineOption cable{QStringLiteral("cable"),
                             QStringLiteral("With --send: the cable, silverlink, grey, black, usb "
                                            "or virtual; without it the USB cables are searched."),
                             QStringLiteral("NAME")};
    QCommandLineOption model{QStringLiteral("model"),
                             QStringLiteral("With --send: the calculator, 83 or 83p; without it "
                                            "each file goes as the model it was written for."),
                             QStringLiteral("MODEL")};

    void addTo(QCommandLineParser& parser) const {
        parser.setApplicationDescription(
            QStringLiteral("Turns text into TI-83 and TI-83 Plus programs for the ION shell."));
        parser.addOptions(
            {help, version, import, compile, output, reader, partSize, send, cable, model});
        parser.addPositionalArgument(
            QStringLiteral("FILE"),
            QStringLiteral("A document to open in the window (each further one in a window "
                           "of its own); with --compile, the documents to build."),
            QStringLiteral("[FILE... | --compile [--reader [--part-size BYTES]] DOCUMENT... "
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
            parser.isSet(options.output)) {
            return bad(QStringLiteral("--send goes only with --cable and --model."));
        }
        if (files.isEmpty()) {
            return bad(QStringLiteral("--send needs at least one program file."));
        }
        command.action = CommandLine::Action::Send;
        command.programs = files;
        command.cable = parser.value(options.cable);
        command.model = parser.value(options.model);
    } else if ((parser.isSet(options.reader) || parser.isSet(options.partSize)) &&
               !parser.isSet(options.compile)) {
        return bad(QStringLiteral("--reader and --part-size go only with --compile."));
    } else if (parser.isSet(options.partSize) && !parser.isSet(options.reader)) {
        return bad(QStringLiteral("--part-size goes only with --reader."));
    } else if (parser.isSet(options.cable) || parser.isSet(options.model)) {
        return bad(QStringLiteral("--cable and --model go only with --send."));
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
        command.reader = parser.isSet(options.reader);
        command.partBytes = kReaderDefaultPartBytes;
        if (parser.isSet(options.partSize)) {
            bool number = false;
            const qulonglong bytes = parser.value(options.partSize).toULongLong(&number);
            const std::size_t limit = readerPartBytesLimit();
            if (!number || bytes < kReaderMinimumPartBytes || bytes > limit) {
                return bad(QStringLiteral("--part-size takes a number of bytes from %1 to %2 "
                                          "(what a cleared calculator holds).")
                               .arg(kReaderMinimumPartBytes)
                               .arg(limit));
            }
            command.partBytes = static_cast<std::size_t>(bytes);
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
