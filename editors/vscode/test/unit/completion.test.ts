// The template comes once: by auto-insert, not again from the completion list.
import * as assert from 'node:assert/strict';
import { describe, it } from 'node:test';

import { withoutTemplateItem } from '../../src/documentationLines';

describe('completion beside auto-insert', () => {
  const items = [{ label: "''' <summary>" }, { label: 'param' }, { label: { label: 'returns' } }];

  it('drops the template item when auto-insert puts the template in', () => {
    assert.deepEqual(
      withoutTemplateItem(items, true).map((item) => (typeof item.label === 'string' ? item.label : item.label.label)),
      ['param', 'returns'],
    );
  });

  it('keeps it when the template switch is off', () => {
    assert.equal(withoutTemplateItem(items, false).length, 3);
  });
});
