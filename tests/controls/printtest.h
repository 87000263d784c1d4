#pragma once

#include "controls/fprint.h"
#include "controls/zkprinter.h"
#include "core/zkoption.h"

#include <QPageLayout>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// Printers of known geometry: PDF printers at 600 dpi whose unprintable
// margins are `marginMM`, with or without copy support. Documents go to
// `file`.
class FakePrinterBackend : public TzkPrinterBackend
{
public:
    QStringList PrinterNames() const override
    {
        return {QStringLiteral("Fake A"), QStringLiteral("Fake B"), QStringLiteral("PDF")};
    }
    int DefaultIndex() const override { return 0; }
    bool SupportsCopies(QPrinter &) const override { return copies; }
    bool PrepareOutput(QPrinter &printer, const QString &) override
    {
        ++prepared;
        printer.setOutputFileName(file);
        return !file.isEmpty();
    }

    double marginMM = 4;
    int dpi = 600;
    bool copies = false;
    QString file;
    int prepared = 0;

protected:
    std::unique_ptr<QPrinter> CreatePrinter(int) const override
    {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setResolution(dpi);
        printer->setPageSize(QPageSize(QPageSize::A4));
        return printer;
    }
    QMarginsF MinimumMargins(QPrinter &) const override { return {marginMM, marginMM, marginMM, marginMM}; }
};

// Every print test starts from the default options on the fake printers.
class PrintTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        zkPrintOption = TzkPrintOption();
        auto backend = std::make_unique<FakePrinterBackend>();
        fake = backend.get();
        fake->file = dir.filePath(QStringLiteral("out.pdf"));
        zkPrinter.SetBackend(std::move(backend));
        zkPrinter.Refresh();
        PrintTabSpaceCount = nullptr;
    }
    void TearDown() override { zkPrinter.SetBackend(nullptr); }

    QTemporaryDir dir;
    FakePrinterBackend *fake = nullptr;
};
