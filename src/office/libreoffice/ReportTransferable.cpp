#include "ReportTransferable.h"

#include <com/sun/star/datatransfer/UnsupportedFlavorException.hpp>
#include <com/sun/star/datatransfer/XTransferableSupplier.hpp>
#include <com/sun/star/document/XDocumentInsertable.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <QDir>
#include <QTemporaryFile>

namespace quotaly::office::lo {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
namespace dt = css::datatransfer;

namespace {

const OUString kPlainText("text/plain;charset=utf-16");

css::uno::Type bytesType()
{
    return cppu::UnoType<Sequence<sal_Int8>>::get();
}

} // namespace

ReportTransferable::ReportTransferable(const PasteData &data)
{
    if (!data.rtf.isEmpty())
        m_offers.push_back({OUString("text/rtf"), data.rtf.toUtf8(), {}});
    if (!data.html.isEmpty())
        m_offers.push_back({OUString("text/html"), data.html.toUtf8(), {}});
    if (!data.plainText.isEmpty())
        m_offers.push_back({kPlainText, {}, data.plainText});
}

const ReportTransferable::Offer *ReportTransferable::find(const dt::DataFlavor &flavor) const
{
    for (const Offer &offer : m_offers) {
        if (flavor.MimeType.equalsIgnoreAsciiCase(offer.mimeType))
            return &offer;
    }
    return nullptr;
}

Any ReportTransferable::getTransferData(const dt::DataFlavor &flavor)
{
    const Offer *offer = find(flavor);
    if (!offer)
        throw dt::UnsupportedFlavorException(flavor.MimeType, static_cast<cppu::OWeakObject *>(this));
    if (offer->mimeType == kPlainText)
        return Any(toOUString(offer->text));
    const Sequence<sal_Int8> bytes(reinterpret_cast<const sal_Int8 *>(offer->bytes.constData()),
                                   sal_Int32(offer->bytes.size()));
    return Any(bytes);
}

Sequence<dt::DataFlavor> ReportTransferable::getTransferDataFlavors()
{
    Sequence<dt::DataFlavor> flavors(sal_Int32(m_offers.size()));
    dt::DataFlavor *out = flavors.getArray();
    for (const Offer &offer : m_offers) {
        out->MimeType = offer.mimeType;
        out->HumanPresentableName = offer.mimeType;
        out->DataType = offer.mimeType == kPlainText ? cppu::UnoType<OUString>::get() : bytesType();
        ++out;
    }
    return flavors;
}

sal_Bool ReportTransferable::isDataFlavorSupported(const dt::DataFlavor &flavor)
{
    return find(flavor) != nullptr;
}

void insertReport(const Reference<css::text::XTextDocument> &document, const Reference<css::text::XTextRange> &range,
                  const PasteData &data)
{
    const Reference<css::frame::XModel> model(document, UNO_QUERY_THROW);
    const Reference<css::frame::XController> controller = model->getCurrentController();
    const Reference<css::view::XSelectionSupplier> selection(controller, UNO_QUERY);
    const Reference<dt::XTransferableSupplier> paste(controller, UNO_QUERY);
    if (selection.is() && paste.is()) {
        selection->select(Any(range));
        paste->insertTransferable(new ReportTransferable(data));
        return;
    }

    // No view to paste through: Writer reads the same RTF from a file.
    QTemporaryFile file(QDir::temp().filePath(QStringLiteral("quotaly-report-XXXXXX.rtf")));
    if (!file.open() || file.write(data.rtf.toUtf8()) < 0 || !file.flush())
        throw Error(
            QStringLiteral("The report could not be written to a temporary file (%1).").arg(file.errorString()));
    file.close();
    const Reference<css::text::XTextCursor> cursor = range->getText()->createTextCursorByRange(range);
    cursor->setString(OUString());
    const Reference<css::document::XDocumentInsertable> insertable(cursor, UNO_QUERY_THROW);
    insertable->insertDocumentFromURL(fileUrl(file.fileName()), Sequence<css::beans::PropertyValue>());
}

} // namespace quotaly::office::lo
