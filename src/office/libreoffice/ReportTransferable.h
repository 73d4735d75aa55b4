#pragma once

// The report handed to Writer the way a clipboard would hand it over, without touching the user's clipboard.

#include "OfficeSession.h"

#include <com/sun/star/datatransfer/XTransferable.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <cppuhelper/implbase1.hxx>

#include <vector>

#include <QByteArray>

namespace quotaly::office::lo {

/// Offers the report as RTF (which Writer turns into a table), HTML and plain text.
class ReportTransferable : public cppu::WeakImplHelper1<css::datatransfer::XTransferable>
{
public:
    explicit ReportTransferable(const PasteData &data);

    css::uno::Any SAL_CALL getTransferData(const css::datatransfer::DataFlavor &flavor) override;
    css::uno::Sequence<css::datatransfer::DataFlavor> SAL_CALL getTransferDataFlavors() override;
    sal_Bool SAL_CALL isDataFlavorSupported(const css::datatransfer::DataFlavor &flavor) override;

private:
    struct Offer
    {
        OUString mimeType;
        QByteArray bytes; ///< empty for plain text, which goes as a string
        QString text;
    };
    const Offer *find(const css::datatransfer::DataFlavor &flavor) const;

    std::vector<Offer> m_offers;
};

/// Puts the report in place of range (collapsed or not) in the document: pasted through the document's view, or,
/// for a document without one, inserted from a temporary RTF file. Worker thread only.
void insertReport(const css::uno::Reference<css::text::XTextDocument> &document,
                  const css::uno::Reference<css::text::XTextRange> &range, const PasteData &data);

} // namespace quotaly::office::lo
