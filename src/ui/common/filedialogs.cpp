#include "ui/common/filedialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace kartevo {

namespace {

FileChooser *g_chooser = nullptr;

QString RunDialog(QWidget *owner, const FileDialogOptions &options, bool save)
{
    if (!options.folder.isEmpty())
        QDir().mkpath(options.folder);
    QFileDialog dialog(owner, options.title, options.folder, options.filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(options.defaultSuffix);
    // A name typed without an extension takes the one of the chosen filter ("Excel munkalap
    // (*.xls)" gives .xls); a filter of several or of any extension, the default one.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, options](const QString &filter) {
        const QString suffix = FilterSuffix(filter);
        dialog.setDefaultSuffix(suffix.isEmpty() ? options.defaultSuffix : suffix);
    });
    if (!options.fileName.isEmpty())
        dialog.selectFile(options.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

} // namespace

QString FilterSuffix(const QString &filter)
{
    static const QRegularExpression onePattern(QStringLiteral("\\(\\*\\.([^*?. ;()]+)\\)\\s*$"));
    const QRegularExpressionMatch match = onePattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

FileDialogOptions FileDialogAt(const QString &start, const QString &filter, const QString &defaultSuffix)
{
    FileDialogOptions options;
    options.folder = start.isEmpty() ? QString() : QFileInfo(start).path();
    options.filter = filter;
    options.defaultSuffix = defaultSuffix.startsWith(u'.') ? defaultSuffix.mid(1) : defaultSuffix;
    options.fileName = start;
    return options;
}

QString ChooseOpenFile(QWidget *owner, const FileDialogOptions &options)
{
    return g_chooser ? g_chooser->chooseOpen(owner, options) : RunDialog(owner, options, false);
}

QString ChooseSaveFile(QWidget *owner, const FileDialogOptions &options)
{
    return g_chooser ? g_chooser->chooseSave(owner, options) : RunDialog(owner, options, true);
}

QString ChooseFolder(QWidget *owner, const QString &start)
{
    return g_chooser ? g_chooser->chooseFolder(owner, start) : QFileDialog::getExistingDirectory(owner, QString(), start);
}

void SetFileChooser(FileChooser *chooser)
{
    g_chooser = chooser;
}

} // namespace kartevo
