#include "link/update_preview.h"

#include <system_error>

#include "app/kind_words.h"
#include "app/verbs.h"
#include "link/block_map.h"
#include "link/register_ops.h"
#include "link/send_check.h"
#include "link/update_plan.h"
#include "program/system_blocks.h"

namespace tramond {

UpdatePreview previewUpdate(const ProgramSession& session) {
    UpdatePreview preview;
    const ApplicationBlock& app = session.app;
    const auto updFile = session.file(".upd");
    std::error_code ec;
    preview.updateFileExists = std::filesystem::is_regular_file(updFile, ec);
    if (!preview.updateFileExists) {
        preview.refusal = opsmsg::kNoUpdateFile;
        return preview;
    }
    std::vector<std::string> lines;
    try {
        lines = readUpdateFileLines(updFile);
    } catch (const std::exception& e) {
        preview.refusal = e.what();
        return preview;
    }
    const bool byCode = app.u8(kAppPluRandomSizeOffset) != 0;
    const UpdatePlan plan = planUpdate(lines, byCode);

    using Type = UpdatePreviewItem::Type;
    for (const auto block : plan.systemBlocks) {
        if (block == kBlockPbTrailer && !sendsPbTrailer(app)) continue;
        preview.items.push_back({Type::Block, block});
    }
    for (const auto& group : plan.recordGroups) {
        const auto kind = kindForExtension(group.info->extension);
        for (const auto code : group.codes) {
            // A kind header's own code travels from the application block.
            if (findSystemBlock(code) || !kind || code <= group.info->base) {
                preview.items.push_back({Type::Block, code});
                continue;
            }
            preview.items.push_back({Type::Record, code, kindWord(*kind), code - group.info->base});
        }
    }
    if (byCode)
        for (const auto& line : plan.pluLines) preview.items.push_back({Type::PluLine, 0, {}, 0, line});

    std::vector<SendFileNeed> needs;
    preview.refusal = checkUpdatePlan(plan, app, session.programPath, byCode, needs);
    if (preview.refusal.empty()) preview.refusal = checkFilesForSending(needs);
    return preview;
}

std::string describe(const UpdatePreviewItem& item) {
    switch (item.type) {
        case UpdatePreviewItem::Type::Block: return "block " + std::to_string(item.block);
        case UpdatePreviewItem::Type::Record:
            return item.kind + " " + std::to_string(item.record) + " (block " + std::to_string(item.block) + ")";
        case UpdatePreviewItem::Type::PluLine: return "PLU line " + item.line;
    }
    return {};
}

std::string previewJsonItems(const UpdatePreview& preview) {
    std::string out = "[";
    for (std::size_t i = 0; i < preview.items.size(); ++i) {
        const auto& item = preview.items[i];
        out += i ? "," : "";
        switch (item.type) {
            case UpdatePreviewItem::Type::Block: out += "{\"block\":" + std::to_string(item.block) + "}"; break;
            case UpdatePreviewItem::Type::Record:
                out += "{\"kind\":" + jsonQuote(item.kind) + ",\"record\":" + std::to_string(item.record) +
                       ",\"block\":" + std::to_string(item.block) + "}";
                break;
            case UpdatePreviewItem::Type::PluLine: out += "{\"pluLine\":" + jsonQuote(item.line) + "}"; break;
        }
    }
    return out + "]";
}

}  // namespace tramond
