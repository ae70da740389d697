// ESLint's rules for the page (web/), its tests (tests/web/) and tools: the
// recommended set, for ES modules in the browser, its workers and node.
import js from '@eslint/js';
import globals from 'globals';

export default [
  { ignores: ['**/node_modules/**'] },
  js.configs.recommended,
  {
    languageOptions: { ecmaVersion: 2024, sourceType: 'module' },
    rules: { 'no-empty': ['error', { allowEmptyCatch: true }] },
  },
  { files: ['web/**/*.js'], languageOptions: { globals: { ...globals.browser, ...globals.worker } } },
  { files: ['web/offline.js'], languageOptions: { globals: globals.serviceworker } },
  { files: ['tests/web/**/*.mjs', 'tools/*.mjs'], languageOptions: { globals: { ...globals.node, ...globals.browser } } },
];
