// node validate.js VALIDATOR_DIR FILE.glb...: validates each file with the
// Khronos glTF validator installed in VALIDATOR_DIR (install_validator.sh).
// Prints one summary line per file and every error and warning; exits 1 when
// a file has any error or warning (or cannot be read), 0 otherwise.
'use strict';
const fs = require('fs');
const path = require('path');
const validator = require(path.join(path.resolve(process.argv[2]), 'node_modules', 'gltf-validator'));

const kSeverity = ['error', 'warning', 'info', 'hint'];

async function main() {
    let failed = false;
    for (const file of process.argv.slice(3)) {
        const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
            uri: path.basename(file),
            maxIssues: 1000,
        });
        const issues = report.issues;
        console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ` +
                    `${issues.numInfos} infos, ${issues.numHints} hints ` +
                    `(gltf-validator ${report.validatorVersion})`);
        for (const message of issues.messages) {
            if (message.severity > 1 && !process.env.SMD2GLTF_ALL_ISSUES) continue;
            console.log(`  ${kSeverity[message.severity]} ${message.code} at ${message.pointer || '-'}: ` +
                        `${message.message}`);
        }
        if (issues.numErrors > 0 || issues.numWarnings > 0) failed = true;
    }
    process.exitCode = failed ? 1 : 0;
}

main().catch((error) => {
    console.error(`validate.js: ${error && error.message ? error.message : error}`);
    process.exitCode = 1;
});
