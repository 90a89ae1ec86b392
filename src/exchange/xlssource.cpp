// The reader of Excel 97–2003 workbooks (.xls, BIFF5 and BIFF8) through libfreexl.

#include "exchange/sheetbuilder.h"

#include "core/error.h"

#include <QFile>

#include <freexl.h>

namespace kartevo {

namespace {

class FreeXlHandle {
public:
    explicit FreeXlHandle(const QString &fileName)
    {
        const int result = freexl_open(QFile::encodeName(fileName).constData(), &m_handle);
        if (result != FREEXL_OK) {
            if (m_handle)
                freexl_close(m_handle);
            m_handle = nullptr;
            throw Error(QStringLiteral("A fájl nem olvasható Excel 97–2003 munkafüzetként (sérült, jelszóval védett "
                                       "vagy más program formátuma; hibakód: %1): %2")
                            .arg(result).arg(fileName));
        }
    }
    ~FreeXlHandle()
    {
        if (m_handle)
            freexl_close(m_handle);
    }
    FreeXlHandle(const FreeXlHandle &) = delete;
    FreeXlHandle &operator=(const FreeXlHandle &) = delete;

    const void *get() const { return m_handle; }

    unsigned int info(unsigned short what) const
    {
        unsigned int value = 0;
        return freexl_get_info(m_handle, what, &value) == FREEXL_OK ? value : 0;
    }

private:
    const void *m_handle = nullptr;
};

QString CellText(const FreeXL_CellValue &cell)
{
    switch (cell.type) {
    case FREEXL_CELL_INT:
        return QString::number(cell.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return NumberText(cell.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return cell.value.text_value ? QString::fromUtf8(cell.value.text_value) : QString();
    default:
        return {};
    }
}

} // namespace

SourceTable ReadXlsSource(const QString &fileName, const SourceOptions &options)
{
    const FreeXlHandle book(fileName);
    if (book.info(FREEXL_BIFF_PASSWORD) == FREEXL_BIFF_OBFUSCATED)
        throw Error(QStringLiteral("A munkafüzet jelszóval védett, így nem olvasható: %1").arg(fileName));
    const unsigned int count = book.info(FREEXL_BIFF_SHEET_COUNT);
    SourceTable table;
    table.kind = SourceKind::Xls;
    for (unsigned int i = 0; i < count && i <= 0xFFFF; ++i) {
        const char *name = nullptr;
        freexl_get_worksheet_name(book.get(), static_cast<unsigned short>(i), &name);
        table.sheets.append(name ? QString::fromUtf8(name) : QString());
    }
    if (options.sheet < 0 || options.sheet >= table.sheets.size())
        ThrowMissingSheet(fileName, options.sheet);
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(book.get(), static_cast<unsigned short>(options.sheet)) != FREEXL_OK
        || freexl_worksheet_dimensions(book.get(), &rows, &columns) != FREEXL_OK)
        throw Error(QStringLiteral("A munkafüzet %1. munkalapja nem olvasható: %2").arg(options.sheet + 1).arg(fileName));
    SheetBuilder sheet(fileName);
    for (unsigned int row = 0; row < rows; ++row) {
        for (unsigned short column = 0; column < columns; ++column) {
            FreeXL_CellValue cell;
            if (freexl_get_cell_value(book.get(), row, column, &cell) == FREEXL_OK)
                sheet.set(row, column, CellText(cell));
        }
    }
    table.rows = sheet.take();
    return table;
}

} // namespace kartevo
