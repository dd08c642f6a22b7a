// The automated accessibility check every page of the site must pass: axe-core (pinned in this
// folder's lock file) run inside the page, with WCAG 2.0 and 2.1 at levels A and AA, plus the
// rules that say a page has one main landmark and all its content inside landmarks. The browser
// tests call it on each page in the state a user meets it in.
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';

const axeSource = createRequire(import.meta.url).resolve('axe-core/axe.min.js');

export const axeTags = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa'];
export const axeRules = ['region', 'landmark-one-main'];

// Runs axe-core on the page as it stands and returns its violations, each { id, impact, help,
// nodes: [selector, ...] }. extraRules adds rules by id (for instance 'target-size') to the tags'.
export async function axeViolations(page, { extraRules = [] } = {}) {
  if (!(await page.evaluate(() => typeof window.axe === 'object'))) {
    await page.addScriptTag({ path: axeSource });
  }
  const rules = [...axeRules, ...extraRules];
  return page.evaluate(
    async ({ tags, rules }) => {
      const result = await window.axe.run(document, {
        runOnly: { type: 'tag', values: tags },
        rules: Object.fromEntries(rules.map((id) => [id, { enabled: true }])),
        resultTypes: ['violations'],
      });
      return result.violations.map((v) => ({
        id: v.id,
        impact: v.impact,
        help: v.help,
        nodes: v.nodes.map((n) => n.target.join(' ')),
      }));
    },
    { tags: axeTags, rules },
  );
}

// Fails with every violation spelled out when axe-core finds any. what names the page and state
// in the message.
export async function assertNoAxeViolations(page, what, options) {
  const violations = await axeViolations(page, options);
  assert.deepEqual(
    violations.map((v) => `${v.id} (${v.impact}): ${v.help} at ${v.nodes.join(', ')}`),
    [],
    `axe-core on ${what}`,
  );
}
