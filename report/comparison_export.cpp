#include "report/comparison_export.h"

#include <cstdint>

#include "picture/png_encoder.h"
#include "report/picture_probe.h"
#include "view/bmp_loader.h"
#include "view/jpeg_decoder.h"
#include "view/packed_dib.h"
#include "view/picture_diff.h"
#include "view/png_decoder.h"

namespace comparison_export {

const char* const kColumnHeading = "比較";

namespace {

// By the bytes, not the name: a history may hold a picture under any name.
bool decode(const std::string& bytes, PackedDib& out) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    switch (probePicture(data, bytes.size()).kind) {
        case PictureKind::png:
            return decodePngBytes(data, bytes.size(), out);
        case PictureKind::jpeg:
            return decodeJpegBytes(data, bytes.size(), out);
        case PictureKind::bmp:
            return loadBmpBytes(data, bytes.size(), out) == BmpLoad::ok;
        case PictureKind::none:
            break;
    }
    return false;
}

}  // namespace

const RecordComparison* of(const ExportComparison& comparison, std::size_t record) {
    if (!comparison.active || record >= comparison.records.size())
        return nullptr;
    return &comparison.records[record];
}

std::string cellText(const ExportComparison& comparison, std::size_t record) {
    const RecordComparison* c = of(comparison, record);
    return c ? retest::comparisonText(c->proposal.comparison) : "";
}

bool differs(const RecordComparison* record) {
    return record && record->proposal.comparison == retest::Comparison::differs;
}

Section section(const RecordComparison& record) {
    // The figure and the note on the sizes, without the lines: those go
    // one to a line below the picture.
    retest::Proposal summary = record.proposal;
    summary.textChanges.clear();
    Section s;
    s.summary = std::string(kColumnHeading) + ": " + retest::proposalText(summary);
    s.baseline = "基準の記録: " + record.baselineHeading;
    s.changes = record.proposal.textChanges;
    return s;
}

std::string coverLine(const ExportComparison& comparison) {
    std::string line = "基準 " + comparison.baselineCsv + "  ";
    if (comparison.baselineManifestDigest.empty())
        return line + "マニフェストがありません";
    return line + "マニフェスト SHA-256: " + comparison.baselineManifestDigest;
}

std::string diffPng(const std::string& baselineBytes, const std::string& currentBytes,
                    const picture_diff::Options& options) {
    PackedDib baseline, current, overlay;
    if (!decode(baselineBytes, baseline) || !decode(currentBytes, current))
        return {};
    picture_diff::overlay(picture_diff::of(baseline), picture_diff::of(current),
                          options, overlay);
    std::vector<uint8_t> png;
    if (overlay.empty() ||
        !encodePngBytes(overlay.width(), overlay.height(), overlay.bits(), overlay.stride(), png))
        return {};
    return std::string(png.begin(), png.end());
}

}  // namespace comparison_export
