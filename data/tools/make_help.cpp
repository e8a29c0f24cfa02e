// Renders the parents' guide, written in Markdown, to the PDF that the administration panel's "Help"
// button opens. Made at build time so that the history holds the text, not a binary document.
//
// Usage: tn_make_help <guide.md> <output.pdf>

#include <QFile>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char** argv) {
    // Laying out text needs a platform plugin; the offscreen one needs no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: tn_make_help <guide.md> <output.pdf>\n");
        return 2;
    }
    QFile source(args[1]);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "tn_make_help: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    QTextDocument document;
    document.setMarkdown(QString::fromUtf8(source.readAll()));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(11);
    document.setDefaultFont(font);

    // Written beside the target and renamed over it, so an interrupted build leaves no broken guide.
    const QString temporary = args[2] + QStringLiteral(".part");
    {
        QPdfWriter writer(temporary);
        writer.setTitle(QStringLiteral("Tumblenest — a guide for parents"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
        document.print(&writer);
    }
    QFile::remove(args[2]);
    if (!QFile::rename(temporary, args[2])) {
        std::fprintf(stderr, "tn_make_help: cannot write %s\n", qPrintable(args[2]));
        return 1;
    }
    return 0;
}
