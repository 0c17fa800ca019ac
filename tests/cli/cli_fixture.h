#pragma once
// A program with default records on disk (and the register-operation
// fixture's simulated register beside it) for the command-line tools.

#include <sstream>

#include "cli/cli_verbs.h"
#include "cli/program_image.h"
#include "cli/register_verify.h"
#include "editors/plu_record.h"
#include "link/register_ops_support.h"

namespace tramond::testing {

class CliFixture : public RegisterOpsFixture {
protected:
    void SetUp() override {
        RegisterOpsFixture::SetUp();
        session.app.setKindCount(appblock::kPlu, 12);
        session.app.setKindCount(appblock::kDepartment, 6);
        session.app.setKindCount(appblock::kGroup, 5);
        session.app.set(appblock::kPluRandomCodeSize, 0);
        // Every kind gets records, so that every layout's file exists.
        for (const auto& k : recordKinds())
            if (k.countOffset && !k.fixedCount && session.app.u16(k.countOffset) == 0)
                session.app.setU16(k.countOffset, 3);
        makeProgram("shop.app");
        program = ProgramImage::read(session.programPath);
    }

    // Code mode with this many code bytes; records 1 and 2 get codes 1 and 2.
    void setPluCodes(int bytes) {
        program.app.set(appblock::kPluRandomCodeSize, static_cast<std::uint32_t>(bytes));
        writeBytes(program.appPath, {program.app.bytes().begin(), program.app.bytes().end()});
        auto plu = fileBytes(program.file(".plu"));
        for (std::size_t r = 0; r * plu::kRecordSize < plu.size(); ++r)
            for (std::size_t b = 0; b < plu::kCodeField; ++b)
                plu[r * plu::kRecordSize + plu::kCode + b] =
                    (b == 0 && r < 2) ? static_cast<std::uint8_t>(r + 1) : 0;
        writeBytes(program.file(".plu"), plu);
    }

    // Verify Register against the simulated register.
    VerifyOutcome verify() {
        VerifyRequest r;
        r.port = &line.pc();
        r.host = &host;
        r.config = config();
        r.preset = TargetChoice{true, 0, 0};
        return verifyRegister(ProgramImage::read(program.appPath), r);
    }

    ProgramImage program;
};

// The verbs of addCliVerbs run in process, with their output kept.
class CliVerbsFixture : public CliFixture {
protected:
    int run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        VerbRegistry verbs;
        addCliVerbs(verbs, link);
        const auto* verb = verbs.find(args.at(0));
        EXPECT_NE(verb, nullptr) << args[0];
        args.erase(args.begin());
        VerbContext ctx{args, out, err};
        return verb->run(ctx);
    }
    LinkServices link;
    std::ostringstream out;
    std::ostringstream err;
};

}  // namespace tramond::testing
