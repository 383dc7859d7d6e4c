#!/usr/bin/env node
// Validates a bill of materials with the CycloneDX project's own library: against its CycloneDX
// 1.6 JSON schema, and each licence expression against SPDX's lists of licences and exceptions.
//   validate-sbom.js FILE.cdx.json
// Prints each problem and exits 1 on any. scripts/install-deps.sh installs the library and its
// validator (ajv) into build/tools/cyclonedx.
'use strict';
const fs = require('fs');
const path = require('path');

const modules = path.join(__dirname, '..', 'build', 'tools', 'cyclonedx', 'node_modules');
const CDX = require(path.join(modules, '@cyclonedx', 'cyclonedx-library'));
const parseExpression = require(path.join(modules, 'spdx-expression-parse'));

async function main() {
  const text = fs.readFileSync(process.argv[2], 'utf8');
  const validator = new CDX.Validation.JsonStrictValidator('1.6');
  const errors = (await validator.validate(text)) || [];
  const problems = errors.map((e) => `${e.instancePath || '/'}: ${e.message}`);
  const bom = JSON.parse(text);
  for (const component of [bom.metadata.component, ...(bom.components || [])]) {
    for (const licence of (component && component.licenses) || []) {
      if (!licence.expression) continue;
      try {
        parseExpression(licence.expression);
      } catch (error) {
        problems.push(`${component.name}: '${licence.expression}' is no SPDX expression`);
      }
    }
  }
  problems.forEach((p) => console.log(`${process.argv[2]}: ${p}`));
  process.exitCode = problems.length ? 1 : 0;
}

main().catch((error) => {
  console.log(`${process.argv[2]}: ${error.message}`);
  process.exitCode = 1;
});
